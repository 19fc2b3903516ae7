#!/usr/bin/env bash
# End-to-end updates of game data archives: base archives made with
# `tailpack zrp create` / `tailpack vfs create` and filled by a first setup,
# installed by the first `file` line of a second setup, whose "zrpupdate"
# (a ".WAV" entry, an entry replaced under another spelling, an unchanged
# entry), "zrpofficial", "duplicateentry" and "vfsupdate" lines update them;
# `tailpack zrp check` and `tailpack vfs check` must pass on the results and
# the contents must read back. A wrong password must leave the archive byte
# for byte as it was and end the run with exit code 3.
#
# Usage: game_archives.sh FOLDER-OF-THE-TAILPACK-EXECUTABLES
set -u

TOOL="$1/tailpack"
SETUP_STUB="$1/tailpack-setup"
FIXTURE="$(cd "$(dirname "$0")/../fixtures/setup-run" && pwd)"
source "$(dirname "$0")/lib/common.sh"

export TAILPACK_REGISTRY="$WORK/registry.reg"
C="$WORK/drive_c"
SRC="$WORK/src"
mkdir -p "$SRC"
cp -r "$FIXTURE/layout" "$FIXTURE/languages" "$SRC/"

HEAD='name "Game Archives"
pages wizard
language English'
build() {  # NAME SCRIPT-LINES...
  local name="$1"
  shift
  { printf '%s\n' "$HEAD"; printf '%s\n' "$@"; } >"$SRC/$name.tps"
  expect_exit 0 "$TOOL" build "$SRC/$name.tps" -o "$WORK/$name.exe" --stub "$SETUP_STUB"
}

# A canonical 16-bit mono wave file of SIZE sample bytes.
wave() {  # FILE SIZE
  local size=$2
  le32() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))\\x$(printf %02x $((($1 >> 16) & 255)))\\x$(printf %02x $((($1 >> 24) & 255)))"; }
  {
    printf 'RIFF'; le32 $((36 + size)); printf 'WAVEfmt '; le32 16
    printf '\x01\x00\x01\x00'; le32 22050; le32 44100; printf '\x02\x00\x10\x00'
    printf 'data'; le32 "$size"
    head -c "$size" /dev/urandom
  } >"$1"
}

# --- Base archives, filled by a first setup --------------------------------------
mkdir -p "$SRC/empty" "$SRC/first/data" "$SRC/vfsfirst/Maps"
expect_exit 0 "$TOOL" zrp create "$SRC/empty/data.zrp"
expect_exit 0 "$TOOL" vfs create "$SRC/empty/game.vfs" --block-size 512 --blocks 400 --roots 16
head -c 3000 /dev/urandom >"$SRC/first/data/map.dat"
seq 1 2000 >"$SRC/first/unchanged.txt"
seq 1 500 >"$SRC/vfsfirst/Maps/old.map"
build prepare 'installdir "C:\Prepare"' 'file empty\' 'zrpupdate first\ secret data.zrp' 'vfsupdate vfsfirst\ game.vfs'
expect_exit 0 "$WORK/prepare.exe" -silent -id 'C:\Prepare'
expect_exit 0 "$TOOL" zrp check "$C/Prepare/data.zrp"
expect_exit 0 "$TOOL" vfs check "$C/Prepare/game.vfs"
mkdir -p "$SRC/archives"
cp "$C/Prepare/data.zrp" "$C/Prepare/game.vfs" "$C/Prepare/game.ht" "$SRC/archives/"
"$TOOL" zrp list "$SRC/archives/data.zrp" >"$WORK/base-list"

# --- The update --------------------------------------------------------------------
mkdir -p "$SRC/mods/Sounds" "$SRC/mods/DATA" "$SRC/vfsdata/Maps/Deep" "$SRC/vfsdata/Textures"
wave "$SRC/mods/Sounds/door.WAV" 6000
head -c 5000 /dev/urandom >"$SRC/mods/DATA/MAP.DAT"
cp "$SRC/first/unchanged.txt" "$SRC/mods/unchanged.txt"
seq 1 9000 >"$SRC/vfsdata/Maps/old.map"
head -c 4000 /dev/urandom >"$SRC/vfsdata/Maps/Deep/new.map"
seq 1 100 >"$SRC/vfsdata/Textures/wall.bmp"
build update 'installdir "C:\Game"' 'file archives\' 'zrpupdate mods\ secret data.zrp' \
  'zrpofficial data.zrp confirm true' 'duplicateentry data.zrp unchanged.txt Copy.txt' 'vfsupdate vfsdata\ game.vfs 0'
expect_exit 0 "$WORK/update.exe" -silent -id 'C:\Game'
GAME="$C/Game"

expect_exit 0 "$TOOL" zrp check "$GAME/data.zrp"
expect_in "$WORK/out" "OK: 4 entries checked"
expect_exit 0 "$TOOL" zrp list "$GAME/data.zrp"
cp "$WORK/out" "$WORK/list"
expect_in "$WORK/list" "password: yes, official: yes"
grep -qE ' sound .* Sounds\\door\.WAV$' "$WORK/list" || fail "the wave file is not a sound entry: $(cat "$WORK/list")"
grep -qE ' data .* data\\map\.dat$' "$WORK/list" || fail "the replaced map lost its first spelling"
grep -q 'DATA\\MAP.DAT' "$WORK/list" && fail "the new spelling was stored"
grep -q ' copy\.txt$' "$WORK/list" || fail "no duplicate entry"
# The unchanged entry kept its stored bytes and its place.
[ "$(grep ' unchanged\.txt$' "$WORK/base-list" | awk '{print $6}')" = "$(grep ' unchanged\.txt$' "$WORK/list" | awk '{print $6}')" ] ||
  fail "the unchanged entry was written again"
[ "$(grep ' unchanged\.txt$' "$WORK/list" | awk '{print $6}')" = "$(grep ' copy\.txt$' "$WORK/list" | awk '{print $6}')" ] ||
  fail "the duplicate does not share the source's bytes"

expect_exit 0 "$TOOL" zrp extract "$GAME/data.zrp" -o "$WORK/zrp-out"
cmp -s "$WORK/zrp-out/data/map.dat" "$SRC/mods/DATA/MAP.DAT" || fail "data\\map.dat does not hold the new map"
cmp -s "$WORK/zrp-out/unchanged.txt" "$SRC/mods/unchanged.txt" || fail "unchanged.txt changed"
[ "$(head -c 4 "$WORK/zrp-out/Sounds/door.WAV")" = "RIFF" ] || fail "the sound entry lost its wave header"

# The VFS archive, left open by its line, was saved at the end of the run.
expect_exit 0 "$TOOL" vfs check "$GAME/game.vfs"
expect_in "$WORK/out" "OK: 3 files"
expect_exit 0 "$TOOL" vfs extract "$GAME/game.vfs" -o "$WORK/vfs-out"
for file in Maps/old.map Maps/Deep/new.map Textures/wall.bmp; do
  cmp -s "$WORK/vfs-out/$file" "$SRC/vfsdata/$file" || fail "the VFS archive does not hold the new $file"
done
[ -e "$GAME/data.zrp.journal" ] || [ -e "$GAME/game.vfs.journal" ] && fail "a journal was left behind"

# --- A wrong password changes nothing -------------------------------------------------
cp "$GAME/data.zrp" "$WORK/before.zrp"
build wrong 'installdir "C:\Game"' 'zrpupdate mods\ guess data.zrp'
expect_exit 3 "$WORK/wrong.exe" -silent -id 'C:\Game'
expect_in "$WORK/err" "[Error] Error Incorrect Password"
cmp -s "$GAME/data.zrp" "$WORK/before.zrp" || fail "a wrong password changed the archive"

# --- A VFS update that does not fit changes nothing -----------------------------------
cp "$GAME/game.vfs" "$WORK/before.vfs"
cp "$GAME/game.ht" "$WORK/before.ht"
mkdir -p "$SRC/huge"
head -c 400000 /dev/urandom >"$SRC/huge/huge.bin"
build full 'installdir "C:\Game"' 'vfsupdate huge\ game.vfs'
expect_exit 3 "$WORK/full.exe" -silent -id 'C:\Game'
expect_in "$WORK/err" "is full"
cmp -s "$GAME/game.vfs" "$WORK/before.vfs" && cmp -s "$GAME/game.ht" "$WORK/before.ht" ||
  fail "a VFS update that did not fit changed the archive"

finish "game archive checks passed"
