#!/usr/bin/env bash
# Builds the Windows presets (win64 and win32) and runs the x86-64 unit tests
# under Wine. Each run gets a private Wine prefix under build/win64, removed
# afterwards, and one wineserver that stays up for the whole run, so every
# test process starts in a fraction of a second. The i686 build is only
# compiled: a 64-bit-only Wine cannot run it. Exits with ctest's status.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset win64
cmake --build --preset win64
cmake --preset win32
cmake --build --preset win32

# Wine names host files in the host's character set: with the plain C locale
# of a bare machine, names outside ASCII cannot be created at all. A UTF-8
# locale also fixes the Windows side (code page 1252, English).
export LC_ALL=C.UTF-8
# A home of its own, so the prefix's desktop and documents folders (and the
# links tests put there) stay inside the run.
HOME=$(mktemp -d "$PWD/build/win64/home.XXXXXX")
export HOME

prefix=$(mktemp -d "$PWD/build/win64/wineprefix.XXXXXX")
export WINEPREFIX="$prefix"
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko installer at prefix creation, and no menu entries on the
# host for the shell links the tests create.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$prefix" "$HOME"
}
trap cleanup EXIT

# The server is started first so that the prefix creation and every test run
# use this one; -p keeps it alive until "wineserver -k".
wineserver -p
echo "Creating the Wine prefix $prefix"
wineboot --init >/dev/null 2>&1

status=0
# A test that fails is run once more: Wine's start-up now and then fails in a
# hundredth of a second without the program printing a line (the log then
# shows "wine-run: ... ended with status N"). A real fault fails both times.
ctest --test-dir build/win64 --output-on-failure -j2 --repeat until-pass:2 || status=$?
# The Windows executables end to end.
for script in tests/wine/*.sh; do
  echo "== $script"
  bash "$script" build/win64/src || status=1
done
exit "$status"
