#!/usr/bin/env bash
# End-to-end uninstallation with the demo's own layouts, built by `tailpack
# build` with tailpack-setup as stub, on a private drive map and registry:
# installed paths next to look-alike folders come back exactly from the log;
# an uninstaller given "-id" of another folder reads that folder's log and
# never replays its own there; the log lists every folder once; a silent
# uninstall whose layout ends with a frame after its finish page still starts
# the finaliser, and the finaliser (written from the archive) can be started;
# a damaged log is reported and kept; silent runs whose pages never reach
# their work fail.
#
# Usage: setup_uninstall.sh FOLDER-OF-THE-TAILPACK-EXECUTABLES
set -u

TOOL="$1/tailpack"
SETUP_STUB="$1/tailpack-setup"
DEMO="$(cd "$(dirname "$0")/../../examples/demo" && pwd)"
source "$(dirname "$0")/lib/common.sh"

export TAILPACK_REGISTRY="$WORK/registry.reg"
C="$WORK/drive_c"

registry_text() { iconv -f UTF-16 -t UTF-8 "$TAILPACK_REGISTRY" | tr -d '\r'; }
expect_gone() { for gone in "$@"; do [ -e "$gone" ] && fail "left behind: $gone"; done; }
expect_there() { for kept in "$@"; do [ -e "$kept" ] || fail "removed: $kept"; done; }
# The finaliser is started without waiting for it: give it a moment.
wait_for() { for _ in $(seq 50); do [ -e "$1" ] && return 0; sleep 0.1; done; return 1; }

# The demo with a finaliser for its uninstaller: a program that records the
# argument it was given.
cp -r "$DEMO" "$WORK/demo"
printf '#!/bin/sh\nprintf "%%s" "$1" > "%s"\n' "$WORK/finalised" >"$WORK/demo/layout/uninstall/FINALISE.EXE"
expect_exit 0 "$TOOL" build "$WORK/demo/setup.tps" -o "$WORK/demo-setup.exe" --stub "$SETUP_STUB"

# --- The demo installed; every folder logged once ---------------------------------
INST="$C/Inst"
TAILPACK_ANSWERS=ok expect_exit 0 "$WORK/demo-setup.exe" -silent -id 'C:\Inst'
expect_there "$INST/bin/demo.exe" "$INST/TailpackDemo_install.log" "$INST/TailpackDemo_Uninstall.exe"
expect_exit 0 "$TOOL" log "$INST" --prefix TailpackDemo
sed -n '/^Folders/,$p' "$WORK/out" | tail -n +2 | sed 's/^ *//; s/\\$//' | tr 'A-Z' 'a-z' | sort | uniq -d >"$WORK/twice"
[ -s "$WORK/twice" ] && fail "folders logged twice: $(cat "$WORK/twice")"
sed -n '/^Folders/{n;p}' "$WORK/out" | grep -qxF '  C:\Inst\' || fail "the installation folder is not the first folder logged"

# --- "-id" of another folder: that folder's log, or nothing --------------------------
# Another folder holding files of the same names as those the log lists.
mkdir -p "$C/Other/bin" "$C/Other/docs"
echo "mine" >"$C/Other/docs/readme.txt"
echo "mine" >"$C/Other/bin/demo.exe"
expect_exit 1 "$INST/TailpackDemo_Uninstall.exe" -silent -id 'C:\Other'
expect_in "$WORK/err" "[Setup Error] Error: install log is missing"
expect_there "$C/Other/docs/readme.txt" "$C/Other/bin/demo.exe" "$INST/bin/demo.exe" "$INST/TailpackDemo_install.log"
[ -e "$WORK/finalised" ] && fail "a refused uninstaller started the finaliser"

# An installation moved elsewhere is uninstalled there by its own log: its
# files (the log names folders as they were created, so C:\Inst's stay, full).
cp -r "$INST" "$C/Moved"
expect_exit 0 "$INST/TailpackDemo_Uninstall.exe" -silent -id 'C:\Moved'
expect_gone "$C/Moved/bin/demo.exe" "$C/Moved/data/settings.ini" "$C/Moved/docs/readme.txt" \
  "$C/Moved/TailpackDemo_install.log"
expect_there "$INST/bin/demo.exe" "$INST/data/settings.ini" "$INST/TailpackDemo_install.log"
wait_for "$WORK/finalised" || fail "the finaliser did not run after the uninstallation of C:\\Moved"
rm -f "$WORK/finalised"

# --- A silent uninstall with the demo's layout: finish page, then the frame ---------
expect_exit 0 "$INST/TailpackDemo_Uninstall.exe" -silent
expect_gone "$INST/bin" "$INST/data" "$INST/docs" "$INST/saves" "$INST/TailpackDemo_install.log"
wait_for "$WORK/finalised" || fail "the finaliser never ran"
[ "$(cat "$WORK/finalised" 2>/dev/null)" = 'C:\Inst\TailpackDemo_Uninstall.exe' ] ||
  fail "the finaliser was given \"$(cat "$WORK/finalised" 2>/dev/null)\""
rm -f "$WORK/finalised"

# --- A damaged log: what can be read is removed, the log and the entry stay ---------
DAMAGED="$C/Damaged"
TAILPACK_ANSWERS=ok expect_exit 0 "$WORK/demo-setup.exe" -silent -id 'C:\Damaged'
LOG="$DAMAGED/TailpackDemo_install.log"
truncate -s $(($(stat -c %s "$LOG") / 2)) "$LOG"
SIZE=$(stat -c %s "$LOG")
expect_exit 3 "$DAMAGED/TailpackDemo_Uninstall.exe" -silent
expect_in "$WORK/err" "[Setup Error] Error: install log is damaged."
# The files come first in the log, the folders last: these are lost.
expect_gone "$DAMAGED/bin/demo.exe"
expect_there "$DAMAGED/saves"
[ "$(stat -c %s "$LOG" 2>/dev/null)" = "$SIZE" ] || fail "the damaged log was not kept as it was"
registry_text | grep -qF 'Uninstall\Tailpack Demo]' || fail "the uninstall entry was removed"

# --- Paths beside look-alike folders come back exactly ------------------------------
cat >"$WORK/demo/boundary.tps" <<'EOF'
name "Boundary"
shortname "Boundary Test"
installdir "$PROGRAMFILES\Demo"
prefix Boundary
pages wizard
uninstallpages uninstall
language English
uninstalllanguage English
file payload\docs\
file payload\extras\ "$PROGRAMFILES\Demo Editor"
copyfile "$INSTDIR\readme.txt" "C:\Program Files (x86)\Other\o.txt"
copyfile "$INSTDIR\readme.txt" "C:\T2x\out.txt"
EOF
expect_exit 0 "$TOOL" build "$WORK/demo/boundary.tps" -o "$WORK/boundary.exe" --stub "$SETUP_STUB"
for folder in 'Program Files\Demo' 'T2'; do
  host="$C/$(printf '%s' "$folder" | tr '\\' '/')"
  expect_exit 0 "$WORK/boundary.exe" -silent -id "C:\\$folder"
  installed=("$host/readme.txt" "$C/Program Files/Demo Editor/level3.dat" "$C/Program Files (x86)/Other/o.txt"
    "$C/T2x/out.txt")
  expect_there "${installed[@]}"
  expect_exit 0 "$host/Boundary_Uninstall.exe" -silent
  expect_gone "${installed[@]}" "$C/Program Files/Demo Editor" "$C/Program Files (x86)/Other" "$C/T2x"
done

# --- Silent runs whose pages never reach their work ---------------------------------
# An installer with the uninstaller's pages, and an uninstaller with the
# installer's: neither may report success.
sed -e 's/^pages wizard/pages uninstall/' "$WORK/demo/boundary.tps" >"$WORK/demo/nowork.tps"
expect_exit 0 "$TOOL" build "$WORK/demo/nowork.tps" -o "$WORK/nowork.exe" --stub "$SETUP_STUB"
expect_exit 1 "$WORK/nowork.exe" -silent -id 'C:\NoWork'
expect_in "$WORK/err" "[Error] Error: The unattended setup ended without reaching its installation page."
expect_gone "$C/NoWork"

sed -e 's/^uninstallpages uninstall/uninstallpages wizard/' "$WORK/demo/boundary.tps" >"$WORK/demo/noremove.tps"
expect_exit 0 "$TOOL" build "$WORK/demo/noremove.tps" -o "$WORK/noremove.exe" --stub "$SETUP_STUB"
expect_exit 0 "$WORK/noremove.exe" -silent -id 'C:\NoRemove'
expect_exit 1 "$C/NoRemove/Boundary_Uninstall.exe" -silent
expect_in "$WORK/err" "[Error] Error: The unattended uninstallation ended without reaching its uninstall page."
expect_there "$C/NoRemove/readme.txt" "$C/NoRemove/Boundary_install.log"

finish "all uninstallation checks passed"
