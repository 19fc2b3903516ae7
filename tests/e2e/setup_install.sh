#!/usr/bin/env bash
# End-to-end installation and uninstallation: `tailpack build` of the
# setup-run fixture with tailpack-setup as stub, a silent install into a
# folder with a blank in its name on a private drive map and registry file,
# every installed file, folder, registry value, link and the uninstall log
# checked, then the uninstaller run silently and everything the log lists
# checked gone, with the registration and the log. Also: the question's other
# answer, and a second installation replacing the uninstaller.
#
# Usage: setup_install.sh FOLDER-OF-THE-TAILPACK-EXECUTABLES
set -u

TOOL="$1/tailpack"
SETUP_STUB="$1/tailpack-setup"
FIXTURE="$(cd "$(dirname "$0")/../fixtures/setup-run" && pwd)"
source "$(dirname "$0")/lib/common.sh"

export TAILPACK_REGISTRY="$WORK/registry.reg"
C="$WORK/drive_c"
GAME="$C/Games/Setup Run"
GAME_WIN='C:\Games\Setup Run'

# The program the script waits for: it takes a while, then leaves a marker
# that the script's next line looks for.
printf '#!/bin/sh\nsleep 0.3\n: > "$1"\n' >"$WORK/child.sh"
chmod +x "$WORK/child.sh"
windows_path() { printf 'Z:%s' "$(printf '%s' "$1" | tr '/' '\\')"; }
export SETUP_RUN_CHILD="$(windows_path "$WORK/child.sh")"
export SETUP_RUN_MARKER="$WORK/marker"
export SETUP_RUN_MARKER_WIN="$(windows_path "$WORK/marker")"

registry_text() { iconv -f UTF-16 -t UTF-8 "$TAILPACK_REGISTRY" | tr -d '\r'; }
expect_registry() {  # TEXT
  registry_text | grep -qF -- "$1" || fail "registry lacks: $1"
}
expect_no_registry() {  # TEXT
  registry_text | grep -qF -- "$1" && fail "registry still holds: $1"
}

expect_exit 0 "$TOOL" build "$FIXTURE/setup.tps" -o "$WORK/setup.exe" --stub "$SETUP_STUB"

# --- Install -------------------------------------------------------------------
TAILPACK_ANSWERS=ok expect_exit 0 "$WORK/setup.exe" -silent -id "$GAME_WIN"
expect_in "$WORK/err" "[Setup Run] Install the extras as well? -> OK"
grep -q "Completed" "$WORK/err" && fail "a \"Completed\" box although -id was given"
[ -e "$WORK/marker" ] || fail "the program started by execute did not run"

check_content() {  # FILE TEXT
  [ -f "$1" ] || { fail "not installed: $1"; return; }
  [ "$(tr -d '\r' <"$1")" = "$2" ] || fail "wrong content in $1: $(cat "$1")"
}
check_content "$GAME/game.exe" "The game itself."
check_content "$GAME/readme.txt" "Read me first."
check_content "$GAME/data/levels.dat" "$(printf 'level 1\nlevel 2')"
check_content "$GAME/manual/manual.txt" "How to play."
check_content "$GAME/manual/readme-copy.txt" "Read me first."
check_content "$GAME/extras/bonus.dat" "An extra level."
[ -d "$GAME/saves" ] || fail "createdirectory made no saves folder"

LINK="$C/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Setup Run/Setup Run.lnk"
DESKTOP_LINK="$C/users/$(id -un)/Desktop/Setup Run.lnk"
[ -f "$LINK" ] || fail "no start-menu link"
[ -f "$DESKTOP_LINK" ] || fail "no desktop link"
expect_in "$LINK" "Exec=\"$GAME/game.exe\" -play"
expect_in "$LINK" "Path=$GAME"

expect_registry '[HKEY_CURRENT_USER\Software\Setup Run]'
expect_registry '"InstallPath"="C:\\Games\\Setup Run\\"'
expect_registry '"Language"="English"'
expect_registry '@="URL:setuprun Protocol"'
expect_registry '@="\"C:\\Games\\Setup Run\\game.exe\" \"%1\""'
expect_registry '[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Setup Run Test]'
expect_registry '"DisplayName"="Setup Run Test"'
# The uninstaller's path is quoted: it holds a blank.
expect_registry '"UninstallString"="\"C:\\Games\\Setup Run\\SetupRun_Uninstall.exe\""'

[ -x "$GAME/SetupRun_Uninstall.exe" ] || fail "no runnable uninstaller"
expect_exit 0 "$TOOL" list "$GAME/SetupRun_Uninstall.exe"
expect_in "$WORK/out" "Pages.txt"
expect_in "$WORK/out" "LANGUAGE-English"
expect_in "$WORK/out" "SetupInfo"
grep -q "UNINSTALL_" "$WORK/out" && fail "the uninstaller kept a UNINSTALL_ prefix"

expect_exit 0 "$TOOL" log "$GAME" --prefix SetupRun
LOG="$WORK/log"
cp "$WORK/out" "$LOG"
for entry in 'Files (8):' 'game.exe' 'data\levels.dat' 'manual\manual.txt' 'manual\readme-copy.txt' \
    'extras\bonus.dat' 'Setup Run\Setup Run.lnk' 'Setup Run.lnk' \
    'Registry values (6):' '"HKCU" "Software\Setup Run" "InstallPath" "$INSTDIR"' \
    '"HKCR" "setuprun\shell\open\command\" "" ""' 'C:\Games\Setup Run\saves'; do
  expect_in "$LOG" "$entry"
done

# --- Uninstall ------------------------------------------------------------------
expect_exit 0 "$GAME/SetupRun_Uninstall.exe" -silent
for gone in "$GAME/game.exe" "$GAME/readme.txt" "$GAME/data" "$GAME/manual" "$GAME/extras" "$GAME/saves" \
    "$LINK" "$(dirname "$LINK")" "$DESKTOP_LINK" "$GAME/SetupRun_install.log"; do
  [ -e "$gone" ] && fail "left behind: $gone"
done
expect_no_registry '"InstallPath"'
expect_no_registry '"Language"'
expect_no_registry 'URL:setuprun'
expect_no_registry 'game.exe'
expect_no_registry 'Setup Run Test'
expect_no_registry 'UninstallString'

# --- The other answer, and a second installation over the first ----------------
# (A second installation records only what it creates itself, so this one is
# not uninstalled afterwards.)
rm -f "$WORK/marker"
OTHER="$C/Other"
TAILPACK_ANSWERS=cancel expect_exit 0 "$WORK/setup.exe" -silent -id 'C:\Other'
[ -f "$OTHER/game.exe" ] || fail "the cancel run installed nothing"
[ -e "$OTHER/extras" ] && fail "cancel still installed the extras"
SIZE_BEFORE=$(stat -c %s "$OTHER/SetupRun_Uninstall.exe")
TAILPACK_ANSWERS=cancel expect_exit 0 "$WORK/setup.exe" -silent -id 'C:\Other'
[ "$(stat -c %s "$OTHER/SetupRun_Uninstall.exe")" = "$SIZE_BEFORE" ] || fail "the second uninstaller is not the same size"
expect_exit 0 "$TOOL" verify "$OTHER/SetupRun_Uninstall.exe"
expect_exit 0 "$TOOL" list "$OTHER/SetupRun_Uninstall.exe"
[ "$(grep -c SetupInfo "$WORK/out")" = 1 ] || fail "the second uninstaller holds more than one archive"

finish "all installation checks passed"
