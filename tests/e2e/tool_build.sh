#!/usr/bin/env bash
# End-to-end run of `tailpack build` and `tailpack script` on a script that
# uses every keyword: the build succeeds, the archive holds the expected
# group-0 material and groups, the compiled script shows resolved labels,
# appended group numbers and enciphered passwords, builds are byte-identical
# across runs and thread counts, and script errors name the file and line.
#
# Usage: tool_build.sh FOLDER-OF-THE-TAILPACK-EXECUTABLE
set -u

TOOL="$1/tailpack"
FIXTURE="$(cd "$(dirname "$0")/../fixtures/every-keyword" && pwd)"
source "$(dirname "$0")/lib/common.sh"

# A stub with some bytes, so the archive really is appended to a program.
head -c 5000 /dev/urandom >"$WORK/stub.exe"

# --- The build, its entries and groups -------------------------------------
expect_exit 0 "$TOOL" build "$FIXTURE/setup.tps" -o "$WORK/one.exe" --stub "$WORK/stub.exe"
expect_in "$WORK/out" "Built"
expect_in "$WORK/err" "warning: Replacing Previous Instance of textures\\wall.bmp"
expect_exit 0 "$TOOL" verify "$WORK/one.exe"
expect_exit 0 "$TOOL" list "$WORK/one.exe"
LIST="$WORK/list"
cp "$WORK/out" "$LIST"
for row in "SetupInfo  *0" "CompiledLines  *0" "LANGUAGE-English  *0" "UNINSTALL_LANGUAGE-English  *0" \
    "changes.rtf  *0" "Pages.txt  *0" "welcome.txt  *0" "UNINSTALL_Pages.txt  *0" "UNINSTALL_ICON.ICO  *0" \
    "readme.txt  *1" "docs.manual.txt  *1" "extra.dat  *2" "extra.dat  *3" "extra.dat  *4" "manual.txt  *4" \
    "textures.wall.bmp  *6"; do
  grep -qE -- "$row" "$LIST" || fail "no row like \"$row\" in the list"
done
grep -q "icon.ico" "$LIST" && fail "the wizard layout's icon.ico was packed"
expect_in "$LIST" "17 entries in 6 groups"

# --- The compiled script ------------------------------------------------------
expect_exit 0 "$TOOL" script "$WORK/one.exe"
SCRIPT="$WORK/script"
cp "$WORK/out" "$SCRIPT"
expect_in "$SCRIPT" 'file "payload\" [group 1]'
expect_in "$SCRIPT" 'iffileexists "$INSTDIR\readme.txt" -> row 19 (found) -> row 17 (missing)'
expect_in "$SCRIPT" 'zrpupdate "mods\" {enciphered "secret"} "data.zrp" [group 4]'
expect_in "$SCRIPT" 'zrpupdate "payload\docs\" {enciphered "secret"} "DATA.ZRP" [group 5]'
expect_in "$SCRIPT" 'zrpofficial "data.zrp" {enciphered "confirm"} "true"'
expect_in "$SCRIPT" 'vfsupdate "vfsdata\" "game.vfs" [group 7]'
expect_in "$SCRIPT" 'goto -> row 40 (done)'

# --- Reproducible: runs and thread counts give the same bytes ----------------
expect_exit 0 "$TOOL" build "$FIXTURE/setup.tps" -o "$WORK/two.exe" --stub "$WORK/stub.exe" -j 1
expect_exit 0 "$TOOL" build "$FIXTURE/setup.tps" -o "$WORK/three.exe" --stub "$WORK/stub.exe" -j 8
cmp -s "$WORK/one.exe" "$WORK/two.exe" || fail "two builds differ"
cmp -s "$WORK/one.exe" "$WORK/three.exe" || fail "1 and 8 threads give different setups"
cmp -s "$WORK/stub.exe" <(head -c 5000 "$WORK/one.exe") || fail "the stub is not the setup's first bytes"

# --- "outfile" names the output when -o is absent -----------------------------
cp -r "$FIXTURE" "$WORK/copy"
expect_exit 0 "$TOOL" build "$WORK/copy/setup.tps" --no-stub
[ -f "$WORK/copy/every-setup.exe" ] || fail "no every-setup.exe beside the script"

# --- Errors name the file and line; nothing is written -------------------------
cat >"$WORK/copy/broken.tps" <<'SCRIPT'
name Broken
goto nowhere
writeregstr HKCU Software
file payload
SCRIPT
expect_exit 5 "$TOOL" build "$WORK/copy/broken.tps" -o "$WORK/broken.exe" --no-stub
expect_in "$WORK/err" "broken.tps(2): error: Label not found - nowhere"
expect_in "$WORK/err" "broken.tps(3): error: \"writeregstr\" needs at least 4 parameters"
expect_in "$WORK/err" "broken.tps(4): error: the folder \"payload\" must end with"
[ -e "$WORK/broken.exe" ] && fail "a broken script produced a setup"
echo 'frobnicate 1' >"$WORK/copy/unknown.tps"
expect_exit 5 "$TOOL" build "$WORK/copy/unknown.tps" -o "$WORK/unknown.exe" --no-stub
expect_in "$WORK/err" "unknown.tps(1): error: unknown command \"frobnicate\""
expect_exit 5 "$TOOL" build "$WORK/copy/missing.tps" --no-stub
expect_exit 6 "$TOOL" build "$FIXTURE/setup.tps" -o "$WORK/x.exe" --stub "$WORK/no-such-stub"
expect_exit 0 "$TOOL" build --help
expect_exit 0 "$TOOL" script --help

finish "all build checks passed"
