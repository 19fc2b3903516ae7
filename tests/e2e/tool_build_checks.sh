#!/usr/bin/env bash
# End-to-end run of `tailpack build` on scripts and sources it must refuse or
# warn about: what the archive format cannot hold, host names Windows cannot
# carry, folder links, thread counts and failures that must leave no
# "OUT.partial", control characters and NUL in messages, missing labels,
# "file" lines the setup would skip and jumps that never end. Every error
# names the script's line and exits with 5.
#
# Usage: tool_build_checks.sh FOLDER-OF-THE-TAILPACK-EXECUTABLE
set -u

TOOL="$1/tailpack"
source "$(dirname "$0")/lib/common.sh"

S="$WORK/src"
mkdir -p "$S/data"
echo good >"$S/data/good.txt"
echo one >"$S/one.txt"

# build NAME EXIT [tailpack build options...]: builds $S/NAME.tps (written by
# the caller) into $WORK/NAME.exe, without a stub, and checks the exit code.
# A build must end: one that hangs counts as failed after a minute.
build() {
  local name="$1" want="$2"
  shift 2
  expect_exit "$want" timeout 60 "$TOOL" build "$S/$name.tps" -o "$WORK/$name.exe" --no-stub "$@"
}

# no_output NAME: neither the setup nor its ".partial" was left behind.
no_output() {
  [ ! -e "$WORK/$1.exe" ] || fail "$1: a setup was written"
  [ ! -e "$WORK/$1.exe.partial" ] || fail "$1: $1.exe.partial was left behind"
}

# --- What the format cannot hold ---------------------------------------------------
echo "== format limits"
{ echo "name Long"; printf 'writeregstr HKCU Software\\Long Value %s\n' "$(head -c 65540 /dev/zero | tr '\0' v)"; } >"$S/long.tps"
build long 5
expect_in "$WORK/err" "long.tps(2): error: parameter 4 is 65,540 bytes long"
no_output long

# 256 lines of 256 files each, and the setup's own two records: entry 65,536
# comes from line 256.
mkdir -p "$S/many"
for i in $(seq 1 256); do : >"$S/many/f$i.txt"; done
for i in $(seq 1 256); do echo 'file many\'; done >"$S/entries.tps"
build entries 5
expect_in "$WORK/err" "entries.tps(256): error: the setup would hold more than 65,535 entries"
no_output entries

truncate -s 4G "$S/huge.bin"
printf 'name Huge\nfile huge.bin\n' >"$S/huge.tps"
build huge 5
expect_in "$WORK/err" 'huge.tps(2): error: "huge.bin" is 4,294,967,296 bytes'
rm -f "$S/huge.bin"

# --- Host names that no Windows file can carry --------------------------------------------
echo "== names"
mkdir -p "$S/odd" "$S/onlyodd"
for name in good.txt 'notes.' 'Q&A?.txt' $'tab\there.txt'; do echo x >"$S/odd/$name"; done
echo x >"$S/onlyodd/what?"
printf 'name Odd\nfile odd\\\nfile onlyodd\\\n' >"$S/odd.tps"
build odd 5
expect_in "$WORK/err" 'odd.tps(2): error: "odd\notes." cannot be packed'
expect_in "$WORK/err" 'odd.tps(2): error: "odd\Q&A?.txt" cannot be packed'
expect_in "$WORK/err" 'odd.tps(2): error: "odd\tab\x09here.txt" cannot be packed'
expect_in "$WORK/err" 'odd.tps(3): error: "onlyodd\what?" cannot be packed'
grep -q "good.txt" "$WORK/err" && fail "good.txt was reported"
no_output odd

# --- Folder links are not followed ----------------------------------------------------------
echo "== folder links"
mkdir -p "$S/looped/sub" "$S/layout/wizard"
echo x >"$S/looped/sub/file.txt"
ln -s .. "$S/looped/sub/up1"
ln -s .. "$S/looped/sub/up2"
echo '[pages]' >"$S/layout/wizard/Pages.txt"
ln -s .. "$S/layout/wizard/back"
printf 'name Links\npages wizard\nfile looped\\\n' >"$S/links.tps"
build links 0
expect_in "$WORK/err" 'links.tps(2): warning: the folder link "layout\wizard\back" is not followed'
expect_in "$WORK/err" 'links.tps(3): warning: the folder link "looped\sub\up1" is not followed'
expect_in "$WORK/err" 'links.tps(3): warning: the folder link "looped\sub\up2" is not followed'
expect_exit 0 "$TOOL" list "$WORK/links.exe"
expect_in "$WORK/out" 'sub\file.txt'
expect_in "$WORK/out" "4 entries in 2 groups"

# --- Threads, and no ".partial" after any failure --------------------------------------------
echo "== threads and failures"
printf 'name Threads\nfile data\\\nfile one.txt\n' >"$S/threads.tps"
build threads 0 -j 100000
expect_exit 0 "$TOOL" verify "$WORK/threads.exe"
rm -f "$WORK/threads.exe"
# With a stack limit of 1 TiB every thread asks for a 1 TiB stack, which no
# machine grants: the packing threads cannot start.
expect_exit 6 prlimit --stack=1099511627776 "$TOOL" build "$S/threads.tps" -o "$WORK/threads.exe" --no-stub -j 2
expect_in "$WORK/err" "cannot start packing thread"
no_output threads
# The output's folder is a file: nothing can be created there.
: >"$WORK/blocker"
expect_exit 6 "$TOOL" build "$S/threads.tps" -o "$WORK/blocker/threads.exe" --no-stub
[ ! -e "$WORK/blocker.partial" ] || fail "a .partial was left for a folder that is a file"
# A stub that is no regular file cannot be copied.
mkfifo "$S/stub.fifo"
expect_exit 6 "$TOOL" build "$S/threads.tps" -o "$WORK/threads.exe" --stub "$S/stub.fifo"
expect_in "$WORK/err" "cannot copy the stub"
no_output threads
# A request to end the build (Ctrl-C, or SIGTERM as here: a background job
# of a script ignores SIGINT) while it writes: the half-written file goes.
mkdir -p "$S/slow"
for i in 1 2 3 4 5 6 7 8; do base64 -w 0 /dev/urandom | head -c 8000000 >"$S/slow/f$i.txt"; done
printf 'name Slow\nfile slow\\\n' >"$S/slow.tps"
"$TOOL" build "$S/slow.tps" -o "$WORK/slow.exe" --no-stub -j 1 >"$WORK/out" 2>"$WORK/err" &
builder=$!
for _ in $(seq 1 200); do [ -e "$WORK/slow.exe.partial" ] && break; sleep 0.05; done
[ -e "$WORK/slow.exe.partial" ] || fail "the build wrote no slow.exe.partial to interrupt"
kill -TERM "$builder"
status=0
wait "$builder" || status=$?
[ "$status" -eq 130 ] || fail "an interrupted build ended with $status, not 130"
expect_in "$WORK/err" "interrupted: no setup was written"
no_output slow
# A source that cannot be read is the script's problem, found before writing.
ln -s nowhere "$S/data/dangling.txt"
build threads 5
expect_in "$WORK/err" 'threads.tps(2): error: cannot read "data\dangling.txt"'
no_output threads
rm "$S/data/dangling.txt"

# --- Control characters and NUL in messages --------------------------------------------------
echo "== control characters"
printf 'name Esc\nfile "\033]0;owned\007\033[2K"\nfile "a\000b.txt"\n' >"$S/esc.tps"
build esc 5
expect_in "$WORK/err" 'esc.tps(2): error: the source "\x1b]0;owned\x07\x1b[2K" does not exist'
expect_in "$WORK/err" 'esc.tps(3): error: the source "a\x00b.txt" does not exist'
grep -q $'\e' "$WORK/err" && fail "an escape character reached the terminal"
printf 'name Esc\nmessage "\033[1A\033[2Kgone"\nfile one.txt\n' >"$S/escmsg.tps"
build escmsg 0
expect_exit 0 "$TOOL" script "$WORK/escmsg.exe"
expect_in "$WORK/out" 'message "\x1b[1A\x1b[2Kgone"'
grep -q $'\e' "$WORK/out" && fail "an escape character reached the terminal"

# --- Labels, "file" forms and endless jumps -----------------------------------------------------
echo "== labels and jumps"
printf 'name Labels\niffileexists x nowhere elsewhere\nmessagebox text caption gone lost\n' >"$S/labels.tps"
build labels 5
for label in nowhere elsewhere gone lost; do expect_in "$WORK/err" "error: Label not found - $label"; done
expect_in "$WORK/err" "labels.tps(2): error: Label not found - elsewhere"
expect_in "$WORK/err" "labels.tps(3): error: Label not found - lost"

printf 'name Forms\nfile one.txt sub HKLM Software\nloop:\ngoto loop\n' >"$S/forms.tps"
build forms 0
expect_in "$WORK/err" 'forms.tps(2): warning: "file" takes 1, 2 or 7 parameters, not 4'
expect_in "$WORK/err" 'forms.tps(4): warning: this "goto" comes back to itself'

# --- Build errors name their line and exit with 5 -------------------------------------------------
echo "== lines of material errors"
mkdir -p "$S/languages"
printf '\xff\xfeE\000\r\000\n\000' >"$S/languages/English .wri"
printf 'name Material\n\npages nowhere\nlanguage "English "\n' >"$S/material.tps"
build material 5
expect_in "$WORK/err" 'material.tps(3): error: the layout folder "layout\nowhere\" has no "Pages.txt"'
expect_in "$WORK/err" 'material.tps(4): error: Unsafe entry name "LANGUAGE-English "'

finish "all build checks passed"
