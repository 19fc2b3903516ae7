#!/usr/bin/env bash
# The game data archives under Wine: tailpack.exe creates an empty data
# archive and an empty VFS archive, builds a setup whose first file line
# installs them and whose zrpupdate (with a ".WAV" entry), zrpofficial,
# duplicateentry and vfsupdate lines update them; the setup runs silently and
# tailpack.exe checks both archives (the VFS digest through CryptoAPI) and
# reads their contents back. A wrong password must change nothing and end
# with exit code 3.
#
# Usage: game_archives.sh FOLDER-OF-THE-WINDOWS-EXECUTABLES
# Runs inside scripts/test-windows.sh, which provides WINEPREFIX and a
# running wineserver.
set -u

BIN="$(cd "$1" && pwd)"
SOURCE="$(cd "$(dirname "$0")/../.." && pwd)"
source "$SOURCE/tests/e2e/lib/common.sh"
: "${WINEPREFIX:?run this from scripts/test-windows.sh}"

win() { wine "$@" 2>/dev/null; }
winpath() { winepath -w "$1" 2>/dev/null; }

GAME="$WINEPREFIX/drive_c/Archive Game"
rm -rf "$GAME"
SRC="$WORK/src"
mkdir -p "$SRC/archives" "$SRC/mods/Sounds" "$SRC/vfsdata/Maps"
cp -r "$SOURCE/tests/fixtures/setup-run/layout" "$SOURCE/tests/fixtures/setup-run/languages" "$SRC/"

expect_exit 0 win "$BIN/tailpack.exe" zrp create "$(winpath "$SRC/archives/data.zrp")"
expect_exit 0 win "$BIN/tailpack.exe" vfs create "$(winpath "$SRC/archives/game.vfs")" --block-size 512 --blocks 200 \
  --roots 8

# A canonical 16-bit mono wave file.
{
  printf 'RIFF\x84\x0f\x00\x00WAVEfmt \x10\x00\x00\x00\x01\x00\x01\x00\x22\x56\x00\x00\x44\xac\x00\x00\x02\x00\x10\x00'
  printf 'data\x60\x0f\x00\x00'
  head -c 3936 /dev/urandom
} >"$SRC/mods/Sounds/door.WAV"
seq 1 3000 >"$SRC/mods/readme.txt"
seq 1 9000 >"$SRC/vfsdata/Maps/level.map"
head -c 2000 /dev/urandom >"$SRC/vfsdata/noise.bin"
printf '%s\r\n' 'name "Archive Game"' 'pages wizard' 'language English' 'installdir "C:\Archive Game"' \
  'file archives\' 'zrpupdate mods\ secret data.zrp' 'zrpofficial data.zrp confirm true' \
  'duplicateentry data.zrp readme.txt copy.txt' 'vfsupdate vfsdata\ game.vfs' >"$SRC/update.tps"
expect_exit 0 win "$BIN/tailpack.exe" build "$(winpath "$SRC/update.tps")" -o "$(winpath "$WORK/update.exe")" \
  --stub "$(winpath "$BIN/tailpack-setup.exe")"

cd "$WORK"
expect_exit 0 win "$WORK/update.exe" -silent -id 'C:\Archive Game'
expect_exit 0 win "$BIN/tailpack.exe" zrp check 'C:\Archive Game\data.zrp'
expect_exit 0 win "$BIN/tailpack.exe" zrp list 'C:\Archive Game\data.zrp'
expect_in "$WORK/out" "password: yes, official: yes"
grep -q ' sound .*Sounds\\door.WAV' "$WORK/out" || fail "the wave file is not a sound entry"
grep -q ' copy.txt' "$WORK/out" || fail "no duplicate entry"
expect_exit 0 win "$BIN/tailpack.exe" vfs check 'C:\Archive Game\game.vfs'
expect_exit 0 win "$BIN/tailpack.exe" vfs extract 'C:\Archive Game\game.vfs' -o "$(winpath "$WORK/vfs-out")"
cmp -s "$WORK/vfs-out/Maps/level.map" "$SRC/vfsdata/Maps/level.map" || fail "the VFS archive lost level.map"
cmp -s "$WORK/vfs-out/noise.bin" "$SRC/vfsdata/noise.bin" || fail "the VFS archive lost noise.bin"
expect_exit 0 win "$BIN/tailpack.exe" zrp extract 'C:\Archive Game\data.zrp' -o "$(winpath "$WORK/zrp-out")"
cmp -s "$WORK/zrp-out/readme.txt" "$SRC/mods/readme.txt" || fail "the data archive lost readme.txt"

# --- A wrong password changes nothing ----------------------------------------------
cp "$GAME/data.zrp" "$WORK/before.zrp"
printf '%s\r\n' 'name "Archive Game"' 'pages wizard' 'language English' 'installdir "C:\Archive Game"' \
  'zrpupdate mods\ guess data.zrp' >"$SRC/wrong.tps"
expect_exit 0 win "$BIN/tailpack.exe" build "$(winpath "$SRC/wrong.tps")" -o "$(winpath "$WORK/wrong.exe")" \
  --stub "$(winpath "$BIN/tailpack-setup.exe")"
TAILPACK_ANSWERS=ok expect_exit 3 win "$WORK/wrong.exe" -silent -id 'C:\Archive Game'
cmp -s "$GAME/data.zrp" "$WORK/before.zrp" || fail "a wrong password changed the archive"
[ -e "$GAME/data.zrp.journal" ] && fail "a journal was left behind"

rm -rf "$GAME"
finish "game archives under Wine: all checks passed"
