#!/usr/bin/env bash
# The Windows executables end to end under Wine: tailpack.exe builds the demo
# setup with tailpack-setup.exe as its stub, the setup installs silently into
# a folder with a blank in its name, the files, links, registry values and the
# uninstall log are checked through the real Windows APIs (reg.exe, the
# Windows tool), then the uninstaller removes everything again. A command
# line whose folder ends in a backslash before its closing quote keeps its
# folder and its silent mode. A setup signed afterwards still verifies,
# installs and makes a valid uninstaller. A damaged setup must end with the
# verification exit code.
#
# Usage: demo_setup.sh FOLDER-OF-THE-WINDOWS-EXECUTABLES
# Runs inside scripts/test-windows.sh, which provides WINEPREFIX and a
# running wineserver.
set -u

BIN="$(cd "$1" && pwd)"
SOURCE="$(cd "$(dirname "$0")/../.." && pwd)"
source "$SOURCE/tests/e2e/lib/common.sh"
: "${WINEPREFIX:?run this from scripts/test-windows.sh}"
# The message boxes are the system's: without a display they are answered
# from the script (OK and Yes), never waited for.
export TAILPACK_ANSWERS=ok

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
expect_exit 0 win "$WORK/demo-setup.exe" -silent -id 'C:\Demo Game'
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

# --- The setup's own command-line rules --------------------------------------------
# Through a batch file, so the program gets exactly this command line: the
# C runtime's rules would read the folder as C:\Games\X" -silent.
rm -rf "$DRIVE_C/Games"
cp "$WORK/demo-setup.exe" "$DRIVE_C/demo-setup.exe"
printf 'start "" /wait C:\\demo-setup.exe -id "C:\\Games\\X\\" -silent\r\nexit /b %%errorlevel%%\r\n' >"$DRIVE_C/quoted.bat"
expect_exit 0 timeout 120 wine cmd /c 'C:\quoted.bat'
[ -f "$DRIVE_C/Games/X/bin/demo.exe" ] || fail "the quoted folder ending in a backslash was not the installation folder"
[ "$(reg_value 'HKCU\Software\Tailpack Demo' InstallPath)" = 'C:\Games\X\' ] || fail "InstallPath is not the quoted folder"
expect_exit 0 win 'C:\Games\X\TailpackDemo_Uninstall.exe' -silent
[ -e "$DRIVE_C/Games/X/bin/demo.exe" ] && fail "the quoted installation was not uninstalled"

# --- A setup signed after it was built ---------------------------------------------
# A throwaway certificate; the signature covers the archive, the table follows it.
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$WORK/key.pem" -out "$WORK/cert.pem" -days 1 \
  -subj "/CN=Tailpack Test" >/dev/null 2>&1 || fail "no test certificate"
osslsigncode sign -certs "$WORK/cert.pem" -key "$WORK/key.pem" -n "Tailpack Demo" \
  -in "$WORK/demo-setup.exe" -out "$WORK/signed-setup.exe" >/dev/null || fail "signing failed"
osslsigncode verify -CAfile "$WORK/cert.pem" -in "$WORK/signed-setup.exe" >/dev/null 2>&1 ||
  fail "the signature of the signed setup does not hold"
expect_exit 0 win "$BIN/tailpack.exe" verify "$(winpath "$WORK/signed-setup.exe")"
SIGNED="$DRIVE_C/Signed Game"
rm -rf "$SIGNED"
expect_exit 0 win "$WORK/signed-setup.exe" -silent -id 'C:\Signed Game'
[ -f "$SIGNED/data/levels/level1.dat" ] || fail "the signed setup did not install"
# The uninstaller is the program part of the signed setup: it must not name
# the certificates it left behind, and it must run.
security_entry() {  # FILE: the PE security entry (offset and size) as hex
  local pe
  pe=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  od -An -tx4 -j$((pe + 4 + 20 + 112 + 32)) -N8 "$1" | tr -s ' ' | sed 's/^ //'
}
[ "$(security_entry "$WORK/signed-setup.exe")" != "00000000 00000000" ] || fail "the signed setup names no certificates"
[ "$(security_entry "$SIGNED/TailpackDemo_Uninstall.exe")" = "00000000 00000000" ] ||
  fail "the uninstaller still names the certificate table: $(security_entry "$SIGNED/TailpackDemo_Uninstall.exe")"
expect_exit 0 win "$BIN/tailpack.exe" verify "$(winpath "$SIGNED/TailpackDemo_Uninstall.exe")"
expect_exit 0 win "$SIGNED/TailpackDemo_Uninstall.exe" -silent
[ -e "$SIGNED/data/levels/level1.dat" ] && fail "the signed setup's uninstaller left files behind"

# --- A damaged setup ends with the verification exit code ----------------------
cp "$WORK/demo-setup.exe" "$WORK/damaged.exe"
size=$(stat -c %s "$WORK/damaged.exe")
printf '\xff' | dd of="$WORK/damaged.exe" bs=1 seek=$((size - 200)) conv=notrunc status=none
expect_exit 2 win "$WORK/damaged.exe" -silent

finish "the Windows demo setup installs and uninstalls under Wine"
