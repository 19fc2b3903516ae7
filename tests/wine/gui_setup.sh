#!/usr/bin/env bash
# The Windows setup's real windows under Wine, driven as a person would:
# tailpack.exe builds the demo setup with tailpack-setup.exe as its stub, then
# xdotool clicks and types through every page of the installation (the
# verification window, the question before closing, the language menu, the
# change log, the folder field and tree, the language page, the space check,
# the script's question during the run, the finish page) and of the
# uninstallation, on an X display of its own (the unit tests of the Win32
# controls run there first). The results are checked through
# the Windows tools (reg.exe), the files and the links; a screenshot of every
# page is kept when a folder for them is given.
#
# Usage: gui_setup.sh FOLDER-OF-THE-WINDOWS-EXECUTABLES [SCREENSHOT-FOLDER]
# The run has a Wine prefix of its own, made on its display: Wine's desktop
# takes its display when the prefix's first program starts, and the prefix of
# scripts/test-windows.sh starts without one. GUI_DISPLAY=:N uses that display
# instead of a private Xvfb.
set -u

BIN="$(cd "$1" && pwd)"
SOURCE="$(cd "$(dirname "$0")/../.." && pwd)"
source "$SOURCE/tests/e2e/lib/common.sh"
source "$SOURCE/tests/wine/lib/gui.sh"
SHOTS="${2:-$WORK/screenshots}"
mkdir -p "$SHOTS"
SHOTS="$(cd "$SHOTS" && pwd)"
# Every box is a real one here, answered with the mouse and the keyboard.
unset TAILPACK_ANSWERS

win() { wine "$@" 2>/dev/null; }
winpath() { winepath -w "$1" 2>/dev/null; }
reg_value() {  # KEY VALUE: prints the string data
  win reg query "$1" /v "$2" | tr -d '\r' | sed -n "s/^ *$2 *REG_SZ *//p"
}

# The wizard's client area and its buttons (ui/WindowDesign.h).
CLIENT_W=578
CLIENT_H=413
LANGUAGE_BUTTON="52 396"
NEXT_BUTTON="452 396"
CANCEL_BUTTON="533 396"
FOLDER_FIELD="289 122"     # installdir_edit of the demo's folder page
DEUTSCH_RADIO="50 158"     # language_deutsch of the demo's language page

# shoot NAME ID [BELOW]
shoot() { gui_shot "$SHOTS/$1.png" "$2" "${3:-0}"; }

# need_window VARIABLE REGEX [SECONDS]: the window of that caption, or a
# failure that ends the test.
need_window() {
  local id
  id="$(gui_wait_window "$2" "${3:-30}")" || {
    fail "no window \"$2\""
    finish
  }
  printf -v "$1" '%s' "$id"
}

gui_start_display
export WINEPREFIX="$WORK/prefix" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
mkdir -p "$WINEPREFIX"
trap 'wineserver -k >/dev/null 2>&1; gui_stop_display; rm -rf "$WORK"' EXIT
wineserver -p
wineboot --init >/dev/null 2>&1
if [ -n "$GUI_XVFB_PID" ]; then gui_prepare_prefix own-frames; else gui_prepare_prefix; fi

# The unit tests of the Win32 controls, which need a display to make windows.
TESTS="$BIN/../tests/tailpack_tests.exe"
if [ -f "$TESTS" ]; then
  expect_exit 0 wine "$TESTS" --gtest_filter='Win32ControlsTest.*:Win32Gauge.*:Win32DebugWindow.*'
  grep -q 'SKIPPED' "$WORK/out" && fail "the Win32 control tests were skipped on a display"
fi

DRIVE_C="$WINEPREFIX/drive_c"
GAME="$DRIVE_C/GUI Demo"
rm -rf "$GAME"
expect_exit 0 win "$BIN/tailpack.exe" build "$(winpath "$SOURCE/examples/demo/setup.tps")" \
  -o "$(winpath "$WORK/demo-setup.exe")" --stub "$(winpath "$BIN/tailpack-setup.exe")"

# --- Installation ------------------------------------------------------------------
cd "$WORK"
wine "$WORK/demo-setup.exe" >/dev/null 2>&1 &
setup=$!

verify="$(gui_wait_window "Verifying Contents" 30)" && GUI_SETTLE=0.1 shoot 01-verification "$verify" ||
  echo "note: the verification window was gone before its screenshot"
need_window wizard '^ Tailpack Demo$'
gui_client_origin "$wizard" $CLIENT_W $CLIENT_H
sleep 0.5
shoot 02-welcome "$wizard"

# Cancel asks first; No keeps the wizard.
gui_click $CANCEL_BUTTON
need_window question '^Exit Setup$' 10
shoot 03-close-question "$wizard"
gui_focus "$question"
gui_keys n
gui_wait_gone "$question" 10 || fail "the question before closing stayed open"
kill -0 "$setup" 2>/dev/null || fail "answering No closed the wizard"

# The language menu: German, then English again.
gui_click $LANGUAGE_BUTTON
shoot 04-language-menu "$wizard" 48
gui_keys Down Down Return
shoot 05-welcome-deutsch "$wizard"
gui_click $LANGUAGE_BUTTON
gui_keys Down Return

gui_click $NEXT_BUTTON
shoot 06-changelog "$wizard"
gui_click $NEXT_BUTTON
shoot 07-folder "$wizard"
# A folder that does not exist yet: the tree goes to its deepest existing parent.
gui_click $FOLDER_FIELD
gui_keys End shift+Home
gui_type 'C:\GUI Demo'
shoot 08-folder-typed "$wizard"
gui_click $NEXT_BUTTON
gui_click $DEUTSCH_RADIO
shoot 09-language "$wizard"
gui_click $NEXT_BUTTON
shoot 10-ready "$wizard"

# Install: the script asks whether to add the extra levels; OK adds them.
gui_click $NEXT_BUTTON
need_window box '^Tailpack Demo$' 30
shoot 11-installing "$wizard"
gui_focus "$box"
gui_keys Return
gui_wait_gone "$box" 10 || fail "the script's question stayed open"
for _ in $(seq 100); do
  [ -f "$GAME/TailpackDemo_Uninstall.exe" ] && break
  sleep 0.1
done
sleep 1
shoot 12-finish "$wizard"
gui_click $CANCEL_BUTTON
wait "$setup"
code=$?
[ "$code" -eq 0 ] || fail "the setup ended with exit code $code"

for file in bin/demo.exe data/settings.ini data/levels/level1.dat data/extras/level3.dat docs/readme.txt \
    TailpackDemo_install.log TailpackDemo_Uninstall.exe; do
  [ -f "$GAME/$file" ] || fail "not installed: $file"
done
[ "$(reg_value 'HKCU\Software\Tailpack Demo' InstallPath)" = 'C:\GUI Demo\' ] || fail "InstallPath is not the typed folder"
[ "$(reg_value 'HKCU\Software\Tailpack Demo' Language)" = 'Deutsch' ] || fail "the language page's choice was not handed over"
[ "$(reg_value 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Tailpack Demo' UninstallString)" = \
  '"C:\GUI Demo\TailpackDemo_Uninstall.exe"' ] || fail "no uninstall entry"
find "$DRIVE_C/users" -name 'Tailpack Demo.lnk' -path '*Start Menu*' | grep -q . || fail "no start-menu link"
find -L "$DRIVE_C/users" -name 'Tailpack Demo.lnk' -path '*Desktop*' | grep -q . || fail "no desktop link"

# --- Uninstallation ------------------------------------------------------------------
wine 'C:\GUI Demo\TailpackDemo_Uninstall.exe' >/dev/null 2>&1 &
uninstaller=$!
need_window wizard '^ Tailpack Demo Uninstall$'
gui_client_origin "$wizard" $CLIENT_W $CLIENT_H
sleep 0.5
shoot 13-uninstall-welcome "$wizard"
gui_click $NEXT_BUTTON
sleep 1
shoot 14-uninstall-finish "$wizard"
gui_click $CANCEL_BUTTON
wait "$uninstaller"
code=$?
[ "$code" -eq 0 ] || fail "the uninstaller ended with exit code $code"

for file in bin/demo.exe data/settings.ini docs/readme.txt TailpackDemo_install.log; do
  [ -e "$GAME/$file" ] && fail "left behind: $file"
done
find -L "$DRIVE_C/users" -name 'Tailpack Demo*' | grep -q . && fail "a link was left behind"
win reg query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Tailpack Demo' >/dev/null &&
  fail "the Uninstall key was left behind"
[ -n "$(reg_value 'HKCU\Software\Tailpack Demo' InstallPath)" ] && fail "InstallPath was left behind"

finish "the Windows setup's wizard installs and uninstalls through its real windows under Wine"
