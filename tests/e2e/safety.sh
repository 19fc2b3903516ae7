#!/usr/bin/env bash
# End-to-end: the setup, its uninstaller and the tool never destroy or write
# what is not theirs, and trust no archive header. An rmdir that resolves to
# a drive root or names a system folder; links planted in the installation
# folder and in an extraction folder; a registry file in a folder that does
# not exist yet, and one that cannot be written; an archive whose DataStart
# lies, and one whose entries share a stream; language texts that expand
# without end; a "SetupInfo" cut short.
#
# Usage: safety.sh FOLDER-OF-THE-TAILPACK-EXECUTABLES
set -u

TOOL="$1/tailpack"
SETUP_STUB="$1/tailpack-setup"
FIXTURE="$(cd "$(dirname "$0")/../fixtures/setup-run" && pwd)"
source "$(dirname "$0")/lib/common.sh"

export TAILPACK_REGISTRY="$WORK/registry.reg"
C="$WORK/drive_c"

cp -r "$FIXTURE" "$WORK/src"
HEAD='name "Safety"
shortname "Safety Test"
prefix Safety
pages wizard
uninstallpages remove
language English
uninstalllanguage English'
build() {  # NAME SCRIPT-LINES...
  local name="$1"
  shift
  { printf '%s\n' "$HEAD"; printf '%s\n' "$@"; } >"$WORK/src/$name.tps"
  expect_exit 0 "$TOOL" build "$WORK/src/$name.tps" -o "$WORK/$name.exe" --stub "$SETUP_STUB"
}

# patch_archive FILE CHANGE...: rewrites fields of a built archive in place.
#   datastart=N       the header's DataStart
#   share=I,J         record J points at record I's stored bytes (offset,
#                     sizes and checksum), so both share one stream
#   cut=NAME,K        the entry NAME loses its last K bytes (packed again in
#                     its own place, with its checksum: an intact entry)
patch_archive() {
  python3 - "$@" <<'PYTHON'
import struct, sys, zlib

path, changes = sys.argv[1], sys.argv[2:]
data = bytearray(open(path, "rb").read())
trailer = len(data) - 16
count, data_start, table = struct.unpack_from("<HII", data, trailer + 6)
records, position = [], table
for _ in range(count):
    (length,) = struct.unpack_from("<H", data, position)
    name = bytes(data[position + 2:position + 2 + length]).decode("cp1252")
    fields = position + 2 + length
    records.append([name, fields] + list(struct.unpack_from("<IIIIH", data, fields)))
    position = fields + 18
for change in changes:
    key, value = change.split("=", 1)
    if key == "datastart":
        struct.pack_into("<I", data, trailer + 8, int(value))
    elif key == "share":
        i, j = (int(v) for v in value.split(","))
        struct.pack_into("<IIII", data, records[j][1], *records[i][2:6])
    elif key == "cut":
        name, k = value.split(",")
        record = next(r for r in records if r[0] == name)
        checksum, offset, stored_size, size, group = record[2:]
        room = stored_size or size
        stored = bytes(data[offset:offset + room])
        plain = zlib.decompress(stored) if stored_size else stored
        plain = plain[:len(plain) - int(k)]
        # Packed again in the entry's own place; what is left of its room stays unused.
        stream = zlib.compress(plain, 9)
        stored, stored_size = (stream, len(stream)) if len(stream) <= len(plain) else (plain, 0)
        assert len(stored) <= room, "the cut entry no longer fits its place"
        data[offset:offset + len(stored)] = stored
        struct.pack_into("<IIII", data, record[1], zlib.crc32(stored) & 0xFFFFFFFF, offset, stored_size, len(plain))
open(path, "wb").write(bytes(data))
PYTHON
}

# --- rmdir never removes a drive or a system folder --------------------------------
echo "== rmdir"
mkdir -p "$C/Other" "$C/Program Files/Someone Else"
echo keep >"$C/Other/keep.txt"
echo keep >"$C/Program Files/Someone Else/keep.txt"
build rmdir 'installdir "C:\App"' 'file payload\' 'rmdir "$INSTDIR\.." 0' 'rmdir "$PROGRAMFILES" 1' \
  'rmdir "C:\App\bin\..\..\Program Files." 1'
TAILPACK_ANSWERS=ok expect_exit 0 "$WORK/rmdir.exe" -silent -id 'C:\App'
[ -f "$C/Other/keep.txt" ] || fail "rmdir \"\$INSTDIR\\..\" removed the rest of drive C:"
[ -f "$C/Program Files/Someone Else/keep.txt" ] || fail "rmdir removed the program files folder"
[ -f "$C/App/game.exe" ] || fail "rmdir removed the installation itself"
[ -d "$C" ] || fail "the drive's host folder is gone"

# --- Links planted in the installation folder ----------------------------------------
echo "== links"
mkdir -p "$C/Inst" "$C/outside"
echo victim >"$C/victim.txt"
ln -s ../victim.txt "$C/Inst/readme.txt"
ln -s ../outside "$C/Inst/manual"
build links 'installdir "C:\Inst"' 'file payload\' 'file docs\ manual'
TAILPACK_ANSWERS=ok expect_exit 3 "$WORK/links.exe" -silent -id 'C:\Inst'
expect_in "$WORK/err" "is a link"
[ "$(cat "$C/victim.txt")" = victim ] || fail "the setup wrote through readme.txt's link"
[ -f "$C/Inst/readme.txt" ] && [ ! -L "$C/Inst/readme.txt" ] || fail "readme.txt's link was not replaced by the file"
[ -z "$(ls -A "$C/outside")" ] || fail "the setup wrote through the manual folder's link: $(ls "$C/outside")"

# After an intact installation a folder link takes the place of "data": the
# uninstaller removes nothing through it.
rm -rf "$C/Inst" "$C/outside"
mkdir -p "$C/outside"
build clean 'installdir "C:\Inst"' 'file payload\' 'file docs\ manual'
TAILPACK_ANSWERS=ok expect_exit 0 "$WORK/clean.exe" -silent -id 'C:\Inst'
[ -f "$C/Inst/data/levels.dat" ] || fail "the clean installation lacks data/levels.dat"
echo precious >"$C/outside/levels.dat"
rm -rf "$C/Inst/data"
ln -s ../outside "$C/Inst/data"
expect_exit 0 "$C/Inst/Safety_Uninstall.exe" -silent
[ "$(cat "$C/outside/levels.dat" 2>/dev/null)" = precious ] || fail "the uninstaller deleted through the data link"
[ -e "$C/Inst/game.exe" ] && fail "the uninstaller left game.exe"

# tailpack extract: a folder link and a file link in the output folder.
mkdir -p "$WORK/extract/group-1" "$WORK/elsewhere"
echo victim >"$WORK/elsewhere/victim.txt"
ln -s ../../elsewhere "$WORK/extract/group-1/data"
ln -s ../../elsewhere/victim.txt "$WORK/extract/group-1/readme.txt"
expect_exit 4 "$TOOL" extract "$WORK/clean.exe" -o "$WORK/extract"
expect_in "$WORK/err" "is a link"
[ "$(cat "$WORK/elsewhere/victim.txt")" = victim ] || fail "extract wrote through readme.txt's link"
[ "$(ls "$WORK/elsewhere")" = victim.txt ] || fail "extract wrote through the data link: $(ls "$WORK/elsewhere")"

# --- The registry file's folder --------------------------------------------------------
echo "== registry"
build registry 'installdir "C:\Reg"' 'file payload\' 'writeregstr HKCU "Software\Safety" Path "$INSTDIR"'
NEW_REGISTRY="$WORK/fresh account/tailpack/registry.reg"
TAILPACK_REGISTRY="$NEW_REGISTRY" TAILPACK_ANSWERS=ok expect_exit 0 "$WORK/registry.exe" -silent -id 'C:\Reg'
[ -f "$NEW_REGISTRY" ] || fail "no registry file in the new folder"
iconv -f UTF-16 -t UTF-8 "$NEW_REGISTRY" 2>/dev/null | tr -d '\r' >"$WORK/registry.txt"
expect_in "$WORK/registry.txt" '"Path"="C:\\Reg\\"'
expect_in "$WORK/registry.txt" '"UninstallString"="\"C:\\Reg\\Safety_Uninstall.exe\""'
# A registry that cannot be written (its folder is a file): the run says so
# and fails, and still leaves an uninstaller.
: >"$WORK/blocker"
TAILPACK_REGISTRY="$WORK/blocker/registry.reg" TAILPACK_ANSWERS=ok,ok expect_exit 3 "$WORK/registry.exe" -silent -id 'C:\Reg2'
expect_in "$WORK/err" 'Cannot write the registry value "Path"'
expect_in "$WORK/err" 'Uninstall\Safety Test'
[ -f "$C/Reg2/Safety_Uninstall.exe" ] || fail "no uninstaller when the registration failed"

# --- Archives whose header or table lie ------------------------------------------------
echo "== archive layout"
cp "$WORK/clean.exe" "$WORK/datastart.exe"
patch_archive "$WORK/datastart.exe" datastart=4096
expect_exit 3 "$TOOL" verify "$WORK/datastart.exe"
expect_in "$WORK/err" "is not the first entry's offset"
TAILPACK_ANSWERS=ok expect_exit 1 "$WORK/datastart.exe" -silent -id 'C:\DataStart'
expect_in "$WORK/err" "Invalid Setup Header"
[ -e "$C/DataStart" ] && fail "a setup with a lying DataStart installed something"

cp "$WORK/clean.exe" "$WORK/shared.exe"
patch_archive "$WORK/shared.exe" share=1,2 share=1,3
for COMMAND in verify list; do
  expect_exit 3 "$TOOL" "$COMMAND" "$WORK/shared.exe"
  expect_in "$WORK/err" "damaged"
done
expect_exit 3 "$TOOL" extract "$WORK/shared.exe" -o "$WORK/shared-out"
[ -e "$WORK/shared-out" ] && fail "extract wrote something from an archive with shared streams"
TAILPACK_ANSWERS=ok expect_exit 1 "$WORK/shared.exe" -silent -id 'C:\Shared'

# --- A language text that expands itself -------------------------------------------------
echo "== language"
# The fixture's language with one more string: 40 names itself sixteen times.
{
  iconv -f UTF-16 -t UTF-8 "$WORK/src/languages/English.wri" | tr -d '\r' | sed 's/$/\r/'
  printf '40 '
  for i in $(seq 16); do printf '<LANG40>'; done
  printf '\r\n'
} >"$WORK/bomb.txt"
{ printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$WORK/bomb.txt"; } >"$WORK/src/languages/Bomb.wri"
HEAD="${HEAD/language English/language Bomb}" build bomb 'installdir "C:\Bomb"' 'message "<LANG40>"' 'file payload\'
TMPDIR="$WORK" TAILPACK_ANSWERS=ok timeout 120 "$WORK/bomb.exe" -silent -id 'C:\Bomb' >"$WORK/out" 2>"$WORK/err"
code=$?
[ "$code" -eq 5 ] || fail "the self-expanding language text ended with $code, not the error report's 5"
expect_in "$WORK/err" "grows beyond"

# --- "SetupInfo" cut short -----------------------------------------------------------------
echo "== setup information cut short"
cp "$WORK/clean.exe" "$WORK/cut.exe"
patch_archive "$WORK/cut.exe" cut=SetupInfo,1
expect_exit 0 "$TOOL" verify "$WORK/cut.exe"
# Without its last byte (HasUninstaller) the setup runs and writes no uninstaller.
TAILPACK_ANSWERS=ok expect_exit 0 "$WORK/cut.exe" -silent -id 'C:\Cut'
[ -f "$C/Cut/game.exe" ] || fail "a setup whose SetupInfo lacks its last byte installed nothing"
[ -e "$C/Cut/Safety_Uninstall.exe" ] && fail "the missing HasUninstaller byte did not read as 0"

finish "nothing outside the setup's own was touched, and no lying archive was trusted"
