#!/usr/bin/env bash
# End-to-end failures of tailpack-setup and their exit codes: no archive, a
# damaged entry, a script that fails or updates a data archive that is not
# there, a file that cannot be written, an uninstaller that cannot be
# written (and is not registered), no installation folder, an
# uninstaller without its log; and an archive named on the command line,
# whose uninstaller is made from the program itself.
#
# Usage: setup_failures.sh FOLDER-OF-THE-TAILPACK-EXECUTABLES
set -u

TOOL="$1/tailpack"
SETUP_STUB="$1/tailpack-setup"
FIXTURE="$(cd "$(dirname "$0")/../fixtures/setup-run" && pwd)"
source "$(dirname "$0")/lib/common.sh"

export TAILPACK_REGISTRY="$WORK/registry.reg"
C="$WORK/drive_c"

# The fixture's layouts and files with scripts of our own beside them.
cp -r "$FIXTURE" "$WORK/src"
HEAD='name "Failing"
shortname "Failing Test"
prefix Failing
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

# --- No archive at all -------------------------------------------------------------
expect_exit 1 "$SETUP_STUB" -silent
expect_in "$WORK/err" "[Error] Invalid Setup Header. No Contents or Corrupted Contents."

# --- A damaged entry ---------------------------------------------------------------
build good 'installdir "C:\Good"' 'file payload\'
cp "$WORK/good.exe" "$WORK/damaged.exe"
STUB_SIZE=$(stat -c %s "$SETUP_STUB")
printf '\x5a' | dd of="$WORK/damaged.exe" bs=1 seek=$((STUB_SIZE + 5)) conv=notrunc status=none
expect_exit 2 "$WORK/damaged.exe" -silent
expect_in "$WORK/err" "[Verification Error] Error: Verification Failed. Setup is corrupt."
[ -e "$C/Good" ] && fail "a damaged setup installed something"

# --- The script ends the installation ----------------------------------------------
build failing 'installdir "C:\Failing"' 'file payload\' 'failure' 'file docs\ manual'
expect_exit 3 "$WORK/failing.exe" -silent -id 'C:\Failing'
[ -f "$C/Failing/game.exe" ] || fail "the lines before the failure did not run"
[ -e "$C/Failing/manual" ] && fail "a line after the failure ran"
# What was installed can still be removed.
[ -f "$C/Failing/Failing_install.log" ] || fail "no uninstall log after an aborted run"
expect_exit 0 "$C/Failing/Failing_Uninstall.exe" -silent
[ -e "$C/Failing/game.exe" ] && fail "the uninstaller of an aborted run left game.exe"

build update 'installdir "C:\Update"' 'zrpupdate extras\ secret data.zrp' 'file payload\'
expect_exit 3 "$WORK/update.exe" -silent -id 'C:\Update'
expect_in "$WORK/err" '[Error] File not found: "C:\Update\data.zrp". -> Cancel'
[ -e "$C/Update/game.exe" ] && fail "the script went on after a refused update"

# --- A file that cannot be written is never reported as installed ------------------
mkdir -p "$C/Locked"
printf 'old' >"$C/Locked/readme.txt"
chmod a-w "$C/Locked/readme.txt"
build locked 'installdir "C:\Locked"' 'file payload\' 'file docs\ manual'
expect_exit 3 "$WORK/locked.exe" -silent -id 'C:\Locked'
# Asked Retry or Cancel first (another program may hold the file); the
# headless answer is Cancel, and no second box follows.
expect_in "$WORK/err" '[Error] Unable to write file:"C:\Locked\readme.txt", file may be in use or drive is write protected... -> Cancel'
[ "$(grep -c '^\[Error\]' "$WORK/err")" = 1 ] || fail "more than the one box: $(cat "$WORK/err")"
[ "$(cat "$C/Locked/readme.txt")" = "old" ] || fail "the read-only file was changed"
[ -e "$C/Locked/manual" ] && fail "the script went on after a file failed"

# --- An uninstaller that cannot be written is never registered --------------------------
mkdir -p "$C/NoUninstaller"
printf 'old' >"$C/NoUninstaller/Failing_Uninstall.exe"
chmod a-w "$C/NoUninstaller/Failing_Uninstall.exe"
build nouninstaller 'installdir "C:\NoUninstaller"' 'file payload\'
expect_exit 3 "$WORK/nouninstaller.exe" -silent -id 'C:\NoUninstaller'
expect_in "$WORK/err" '[Error] The uninstaller'
[ -f "$C/NoUninstaller/game.exe" ] || fail "the files before the uninstaller were not installed"
iconv -f UTF-16 -t UTF-8 "$TAILPACK_REGISTRY" | grep -qF 'NoUninstaller' && fail "a missing uninstaller was registered"

# --- No installation folder ------------------------------------------------------------
build nowhere 'installdirregkey HKCU "Software\Nowhere" Path' 'file payload\'
expect_exit 1 "$WORK/nowhere.exe" -silent
expect_in "$WORK/err" "[Error] Error: Registry Key Not Found. Please Install Software"

# --- An uninstaller without its log ------------------------------------------------------
expect_exit 0 "$WORK/good.exe" -silent -id 'C:\Good'
rm "$C/Good/Failing_install.log"
expect_exit 1 "$C/Good/Failing_Uninstall.exe" -silent
expect_in "$WORK/err" "[Setup Error] Error: install log is missing"

# --- An archive named on the command line ------------------------------------------------
expect_exit 0 "$TOOL" build "$WORK/src/good.tps" -o "$WORK/named.pak" --no-stub
expect_exit 0 "$SETUP_STUB" "$WORK/named.pak" -silent -id 'C:\Named'
[ -f "$C/Named/game.exe" ] || fail "the named archive installed nothing"
# The uninstaller is the program itself with the uninstall material: its
# program part is exactly tailpack-setup.
cmp -s -n "$STUB_SIZE" "$SETUP_STUB" "$C/Named/Failing_Uninstall.exe" || fail "the uninstaller does not start with the program"
expect_exit 0 "$C/Named/Failing_Uninstall.exe" -silent
[ -e "$C/Named/game.exe" ] && fail "the uninstaller of a named archive left game.exe"

finish "all failure checks passed"
