#!/usr/bin/env bash
# The Windows executables end to end under Wine: tailpack.exe builds the demo
# setup with tailpack-setup.exe as its stub, the setup installs silently into
# a folder with a blank in its name, the files, links, registry values and the
# uninstall log are checked through the real Windows APIs (reg.exe, the
# Windows tool), then the uninstaller removes everything again. A damaged
# setup must end with the verification exit code.
#
# Usage: demo_setup.sh FOLDER-OF-THE-WINDOWS-EXECUTABLES
# Runs inside scripts/test-windows.sh, which provides WINEPREFIX and a
# running wineserver.
set -u

BIN="$(cd "$1" && pwd)"
SOURCE="$(cd "$(dirname "$0")/../.." && pwd)"
source "$SOURCE/tests/e2e/lib/common.sh"
: "${WINEPREFIX:?run this from scripts/test-windows.sh}"

win() { wine "$@" 2>/dev/null; }
winpath() { winepath -w "$1" 2>/dev/null; }
reg_value() {  # KEY VALUE: prints the string data
  win reg query "$1" /v "$2" | tr -d '\r' | sed -n "s/^ *$2 *REG_SZ *//p"
}

DRIVE_C="$WINEPREFIX/drive_c"
GAME="$DRIVE_C/Demo Game"
rm -rf "$GAME"

# --- Build with the Windows tool -----------------------------------------------
expect_exit 0 win "$BIN/tailpack.exe" build "$(winpath "$SOURCE/examples/demo/setup.tps")" \
  -o "$(winpath "$WORK/demo-setup.exe")" --stub "$(winpath "$BIN/tailpack-setup.exe")"
expect_exit 0 win "$BIN/tailpack.exe" verify "$(winpath "$WORK/demo-setup.exe")"

# --- Install silently ---------------------------------------------------------
cd "$WORK"
TAILPACK_ANSWERS=ok expect_exit 0 win "$WORK/demo-setup.exe" -silent -id 'C:\Demo Game'
for file in bin/demo.exe bin/demo.ico data/settings.ini data/levels/level1.dat data/levels/level2.dat \
    data/extras/level3.dat docs/readme.txt TailpackDemo_install.log TailpackDemo_Uninstall.exe; do
  [ -f "$GAME/$file" ] || fail "not installed: $file"
done
[ -d "$GAME/saves" ] || fail "the saves folder was not created"
cmp -s "$GAME/docs/readme.txt" "$SOURCE/examples/demo/payload/docs/readme.txt" || fail "readme.txt differs"
find "$DRIVE_C/users" -name 'Tailpack Demo.lnk' -path '*Start Menu*' | grep -q . || fail "no start-menu link"

[ "$(reg_value 'HKCU\Software\Tailpack Demo' InstallPath)" = 'C:\Demo Game\' ] || fail "InstallPath not written"
[ "$(reg_value 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Tailpack Demo' UninstallString)" = \
  '"C:\Demo Game\TailpackDemo_Uninstall.exe"' ] || fail "UninstallString missing or not quoted"
win reg query 'HKCR\tailpackdemo\shell\open\command' | grep -qF '"C:\Demo Game\bin\demo.exe" "%1"' ||
  fail "the URL protocol's command is missing"

expect_exit 0 win "$BIN/tailpack.exe" log 'C:\Demo Game' --prefix TailpackDemo
expect_in "$WORK/out" '$INSTDIR\data\levels\level1.dat'
expect_in "$WORK/out" 'Tailpack Demo.lnk'

# --- Uninstall silently --------------------------------------------------------
expect_exit 0 win "$GAME/TailpackDemo_Uninstall.exe" -silent
for file in bin/demo.exe data/settings.ini docs/readme.txt TailpackDemo_install.log; do
  [ -e "$GAME/$file" ] && fail "left behind: $file"
done
[ -d "$GAME/data" ] && fail "the data folder was left behind"
find "$DRIVE_C/users" -name 'Tailpack Demo*' | grep -q . && fail "a link was left behind"
win reg query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Tailpack Demo' >/dev/null &&
  fail "the Uninstall key was left behind"
[ -n "$(reg_value 'HKCU\Software\Tailpack Demo' InstallPath)" ] && fail "InstallPath was left behind"

# --- A damaged setup ends with the verification exit code ----------------------
cp "$WORK/demo-setup.exe" "$WORK/damaged.exe"
size=$(stat -c %s "$WORK/damaged.exe")
printf '\xff' | dd of="$WORK/damaged.exe" bs=1 seek=$((size - 200)) conv=notrunc status=none
expect_exit 2 win "$WORK/damaged.exe" -silent

finish "the Windows demo setup installs and uninstalls under Wine"
