#!/usr/bin/env bash
# End-to-end run of `tailpack list`, `verify` and `extract` on a stand-alone
# archive and on one appended to a copy of an executable, including damaged
# archives, unsafe entry names and every exit code.
#
# The archives are written by a small independent writer below (Python's zlib
# and CRC-32), straight from docs/formats/setup-archive.md, so the tool is
# checked against the documented format rather than against its own writer.
#
# Usage: tool_archive.sh FOLDER-OF-THE-TAILPACK-EXECUTABLE
set -u

TOOL="$1/tailpack"
source "$(dirname "$0")/lib/common.sh"

# make_archive OUTPUT [--append] GROUP:NAME=SOURCE... ; prints "NAME OFFSET" per entry.
# A name starting with "!" (the "!" is dropped) gets a compressed entry whose
# stream cannot be inflated but whose CRC-32 is right; one starting with "+"
# a right stream but a recorded size one byte too large.
make_archive() {
  python3 - "$@" <<'PYTHON'
import struct, sys, zlib

LARGE_FILE_LIMIT = 73400320
args = sys.argv[1:]
output = args.pop(0)
append = False
if args and args[0] == "--append":
    append = True
    args.pop(0)
mode = "r+b" if append else "wb"
with open(output, mode) as archive:
    archive.seek(0, 2)
    data_start = archive.tell()
    records = []
    for item in args:
        group, rest = item.split(":", 1)
        name, source = rest.split("=", 1)
        data = open(source, "rb").read()
        stored, stored_size = data, 0
        if name.startswith("!"):
            name = name[1:]
            stored = b"\x78\x9c" + b"\xff" * 16
            stored_size = len(stored)
        elif name.startswith("+"):
            name = name[1:]
            stored = zlib.compress(data, 9)
            stored_size = len(stored)
        elif 0 < len(data) < LARGE_FILE_LIMIT:
            stream = zlib.compress(data, 9)
            if len(stream) <= len(data):
                stored, stored_size = stream, len(stream)
        checksum = zlib.crc32(stored) & 0xFFFFFFFF if len(data) < LARGE_FILE_LIMIT else 0
        offset = archive.tell()
        archive.write(stored)
        size = len(data) + 1 if item.split(":", 1)[1].startswith("+") else len(data)
        records.append((name.encode("cp1252"), checksum, offset, stored_size, size, int(group)))
        print(name, offset)
    table_offset = archive.tell()
    for name, checksum, offset, stored_size, size, group in records:
        archive.write(struct.pack("<H", len(name)) + name)
        archive.write(struct.pack("<IIIIH", checksum, offset, stored_size, size, group))
    archive.write(b"ZRPF" + struct.pack("<HHII", 1, len(records), data_start if append else 0, table_offset))
PYTHON
}

# --- Sources ---------------------------------------------------------------------
SRC="$WORK/src"
mkdir -p "$SRC"
printf 'Setup information\n' >"$SRC/info"
for i in $(seq 1 200); do echo "line $i of a compressible read-me"; done >"$SRC/readme.txt"
head -c 5000 /dev/urandom >"$SRC/random.bin"
: >"$SRC/empty.txt"
printf 'second group\n' >"$SRC/two.txt"
ENTRIES=(
  "0:SetupInfo=$SRC/info"
  "1:readme.txt=$SRC/readme.txt"
  "1:Data\\sub\\random.bin=$SRC/random.bin"
  "1:empty.txt=$SRC/empty.txt"
  "2:two.txt=$SRC/two.txt"
)

STANDALONE="$WORK/setup.pak"
make_archive "$STANDALONE" "${ENTRIES[@]}" >"$WORK/offsets" || fail "writing the stand-alone archive"
APPENDED="$WORK/setup.exe"
cp "$TOOL" "$APPENDED"
HOST_SIZE=$(stat -c %s "$APPENDED")
make_archive "$APPENDED" --append "${ENTRIES[@]}" >/dev/null || fail "writing the appended archive"

# --- list, verify and extract of both forms ------------------------------------------
for ARCHIVE in "$STANDALONE" "$APPENDED"; do
  echo "== $(basename "$ARCHIVE")"
  expect_exit 0 "$TOOL" list "$ARCHIVE"
  expect_in "$WORK/out" "SetupInfo"
  expect_in "$WORK/out" 'Data\sub\random.bin'
  expect_in "$WORK/out" "5 entries in 3 groups"
  # random.bin cannot be compressed: stored raw; its CRC-32 is that of its bytes.
  CRC=$(python3 -c "import zlib,sys; print('%08x' % (zlib.crc32(open(sys.argv[1],'rb').read()) & 0xffffffff))" "$SRC/random.bin")
  grep -F 'Data\sub\random.bin' "$WORK/out" | grep -q "raw *$CRC" || fail "random.bin row lacks raw and $CRC"

  # Not a terminal: nothing but the result line.
  expect_exit 0 "$TOOL" verify "$ARCHIVE"
  [ "$(wc -l <"$WORK/out")" -eq 1 ] || fail "verify printed more than its result: $(cat "$WORK/out")"
  expect_in "$WORK/out" "OK: 5 entries verified"

  OUT="$WORK/extract-$(basename "$ARCHIVE")"
  expect_exit 0 "$TOOL" extract "$ARCHIVE" -o "$OUT/one" --group 1
  cmp -s "$OUT/one/readme.txt" "$SRC/readme.txt" || fail "readme.txt differs"
  cmp -s "$OUT/one/Data/sub/random.bin" "$SRC/random.bin" || fail "random.bin differs"
  [ -f "$OUT/one/empty.txt" ] && [ ! -s "$OUT/one/empty.txt" ] || fail "empty.txt is not an empty file"
  [ ! -e "$OUT/one/two.txt" ] || fail "group 2 was extracted with --group 1"

  expect_exit 0 "$TOOL" extract "$ARCHIVE" -o "$OUT/all"
  cmp -s "$OUT/all/group-0/SetupInfo" "$SRC/info" || fail "group-0/SetupInfo differs"
  cmp -s "$OUT/all/group-1/Data/sub/random.bin" "$SRC/random.bin" || fail "group-1 random.bin differs"
  cmp -s "$OUT/all/group-2/two.txt" "$SRC/two.txt" || fail "group-2/two.txt differs"
  expect_in "$WORK/out" "Extracted 5 entries from 3 groups"
done
# The host's bytes are untouched by appending.
cmp -s -n "$HOST_SIZE" "$APPENDED" "$TOOL" || fail "the host executable changed"

# --- A corrupted byte: verify names the entry ----------------------------------------
echo "== corruption"
CORRUPT="$WORK/corrupt.pak"
cp "$STANDALONE" "$CORRUPT"
OFFSET=$(awk '$1 == "Data\\sub\\random.bin" { print $2 }' "$WORK/offsets")
printf '\x00\x01' | dd of="$CORRUPT" bs=1 seek=$((OFFSET + 100)) conv=notrunc status=none
expect_exit 1 "$TOOL" verify "$CORRUPT"
expect_in "$WORK/err" "ID: 2"
expect_in "$WORK/err" 'Filename: Data\sub\random.bin'
expect_exit 4 "$TOOL" extract "$CORRUPT" -o "$WORK/corrupt-out" --group 1
expect_in "$WORK/err" 'random.bin'
[ ! -e "$WORK/corrupt-out/Data/sub/random.bin" ] || fail "a damaged entry was written"

# --- A stream that cannot be inflated: the entry is named ---------------------------------
echo "== inflation"
make_archive "$WORK/broken.pak" "1:readme.txt=$SRC/readme.txt" "1:!broken.txt=$SRC/readme.txt" >/dev/null
expect_exit 4 "$TOOL" extract "$WORK/broken.pak" -o "$WORK/broken-out" --group 1
expect_in "$WORK/err" 'entry 1 "broken.txt" of group 1 cannot be inflated'
expect_exit 1 "$TOOL" verify "$WORK/broken.pak"
expect_in "$WORK/err" 'ID: 1 Filename: broken.txt'

# --- Control characters in names reach the terminal escaped --------------------------------
echo "== control characters"
EVIL=$'evil\e[2K\e[1A\e]0;title\a.txt'
make_archive "$WORK/evil.pak" "1:readme.txt=$SRC/readme.txt" "1:$EVIL=$SRC/two.txt" >/dev/null
expect_exit 0 "$TOOL" list "$WORK/evil.pak"
expect_in "$WORK/out" 'evil\x1b[2K\x1b[1A\x1b]0;title\x07.txt'
expect_exit 4 "$TOOL" extract "$WORK/evil.pak" -o "$WORK/evil-out"
expect_in "$WORK/err" 'evil\x1b[2K\x1b[1A\x1b]0;title\x07.txt'
grep -q $'\e' "$WORK/out" "$WORK/err" && fail "an escape character reached the terminal"
# The reader's own message about a wrong size, too.
make_archive "$WORK/evilsize.pak" "1:+$EVIL=$SRC/readme.txt" >/dev/null
expect_exit 1 "$TOOL" verify "$WORK/evilsize.pak"
expect_in "$WORK/err" 'tailpack: [Error] evil\x1b[2K\x1b[1A\x1b]0;title\x07.txt Error: DecompSize'
expect_in "$WORK/err" 'Filename: evil\x1b[2K'
grep -q $'\e' "$WORK/err" && fail "an escape character reached the terminal"

# --- Unsafe names are refused, nothing is written --------------------------------------
echo "== unsafe names"
for NAME in '..\evil.txt' 'C:\evil.txt' 'sub/../../evil.txt' 'NUL.txt' 'a\\b.txt' 'x.txt:stream'; do
  UNSAFE="$WORK/unsafe.pak"
  make_archive "$UNSAFE" "1:readme.txt=$SRC/readme.txt" "1:$NAME=$SRC/two.txt" >/dev/null
  expect_exit 4 "$TOOL" extract "$UNSAFE" -o "$WORK/unsafe-out/inner"
  expect_in "$WORK/err" "$NAME"
  [ ! -e "$WORK/unsafe-out" ] || fail "something was written for \"$NAME\""
  [ -z "$(find "$WORK" -name 'evil.txt')" ] || fail "evil.txt was written for \"$NAME\""
  expect_exit 0 "$TOOL" verify "$UNSAFE"  # the archive itself is intact
done

# --- Files that cannot be read as archives -------------------------------------------
echo "== unreadable archives"
expect_exit 3 "$TOOL" list "$WORK/missing.pak"
expect_exit 3 "$TOOL" verify "$TOOL"
expect_in "$WORK/err" '"ZRPF"'
head -c 10 "$STANDALONE" >"$WORK/short.pak"
expect_exit 3 "$TOOL" list "$WORK/short.pak"
DAMAGED="$WORK/damaged.pak"
cp "$STANDALONE" "$DAMAGED"
SIZE=$(stat -c %s "$DAMAGED")
# FileCount (header offset 6) = 200: the records run into the header.
printf '\xc8\x00' | dd of="$DAMAGED" bs=1 seek=$((SIZE - 10)) conv=notrunc status=none
for COMMAND in list verify; do
  expect_exit 3 "$TOOL" "$COMMAND" "$DAMAGED"
  expect_in "$WORK/err" "damaged"
done
expect_exit 3 "$TOOL" extract "$DAMAGED" -o "$WORK/damaged-out"

# --- Extraction failures ----------------------------------------------------------------
echo "== extraction failures"
expect_exit 4 "$TOOL" extract "$STANDALONE" -o "$WORK/nogroup" --group 9
expect_in "$WORK/err" "group 9"
# A file stands where the folder "Data" has to go.
mkdir -p "$WORK/blocked"
: >"$WORK/blocked/Data"
expect_exit 4 "$TOOL" extract "$STANDALONE" -o "$WORK/blocked" --group 1
expect_in "$WORK/err" "random.bin"
: >"$WORK/plainfile"
expect_exit 4 "$TOOL" extract "$STANDALONE" -o "$WORK/plainfile"

# --- Usage -------------------------------------------------------------------------------
echo "== usage"
expect_exit 2 "$TOOL"
expect_exit 2 "$TOOL" frobnicate
expect_exit 2 "$TOOL" list
expect_exit 2 "$TOOL" extract "$STANDALONE"
expect_exit 2 "$TOOL" extract "$STANDALONE" -o "$WORK/x" --group 70000
expect_exit 2 "$TOOL" verify "$STANDALONE" --bogus
for COMMAND in "" list verify extract; do
  expect_exit 0 "$TOOL" $COMMAND --help
  expect_in "$WORK/out" "Usage"
done

# --- On a terminal, verify shows its progress ----------------------------------------
if command -v script >/dev/null 2>&1; then
  echo "== terminal"
  script -qec "\"$TOOL\" verify \"$STANDALONE\"" /dev/null >"$WORK/tty" 2>&1
  expect_in "$WORK/tty" "Verified 5 of 5: two.txt"
  expect_in "$WORK/tty" "OK: 5 entries verified"
fi

finish "all tool checks passed"
