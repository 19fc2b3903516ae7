#!/usr/bin/env bash
# A setup killed (SIGKILL) at many moments of a large update of a data
# archive and a VFS archive: whenever it dies, each archive, once next opened
# (here by `tailpack zrp check` and `tailpack vfs check`, which apply what an
# unfinished update left), is exactly its old state or exactly the state an
# uninterrupted run produces.
#
# Usage: game_archives_kill.sh FOLDER-OF-THE-TAILPACK-EXECUTABLES
set -u

TOOL="$1/tailpack"
SETUP_STUB="$1/tailpack-setup"
FIXTURE="$(cd "$(dirname "$0")/../fixtures/setup-run" && pwd)"
source "$(dirname "$0")/lib/common.sh"

export TAILPACK_REGISTRY="$WORK/registry.reg"
C="$WORK/drive_c"
SRC="$WORK/src"
GAME="$C/Game"
mkdir -p "$SRC" "$WORK/base"
cp -r "$FIXTURE/layout" "$FIXTURE/languages" "$SRC/"

# Base archives with content of their own.
expect_exit 0 "$TOOL" zrp create "$WORK/base/data.zrp"
expect_exit 0 "$TOOL" vfs create "$WORK/base/game.vfs" --block-size 1024 --blocks 12000 --roots 32
mkdir -p "$SRC/first/Maps" "$SRC/firstvfs/Maps"
seq 1 20000 >"$SRC/first/Maps/one.map"
seq 1 30000 >"$SRC/firstvfs/Maps/one.map"
# Many entries: random pieces (stored raw by the setup, deflated into the
# data archive), and text that the VFS archive stores compressed.
mkdir -p "$SRC/big/Maps" "$SRC/bigvfs/Maps/Part1" "$SRC/bigvfs/Maps/Part2"
head -c 6000000 /dev/urandom | split -b 3000 -d -a 4 --additional-suffix=.dat - "$SRC/big/Maps/piece"
seq 1 40000 >"$SRC/big/Maps/one.map"
head -c 3000000 /dev/urandom | split -b 10000 -d -a 4 --additional-suffix=.dat - "$SRC/bigvfs/Maps/Part1/piece"
for i in $(seq 1 60); do seq "$i" 4 40000 >"$SRC/bigvfs/Maps/Part2/text$i.txt"; done
seq 1 70000 >"$SRC/bigvfs/Maps/one.map"

{
  printf '%s\n' 'name "Kill Test"' 'pages wizard' 'language English' 'installdir "C:\Game"'
  printf '%s\n' 'zrpupdate first\ secret data.zrp' 'vfsupdate firstvfs\ game.vfs'
} >"$SRC/prepare.tps"
{
  printf '%s\n' 'name "Kill Test"' 'pages wizard' 'language English' 'installdir "C:\Game"'
  printf '%s\n' 'zrpupdate big\ secret data.zrp' 'vfsupdate bigvfs\ game.vfs'
} >"$SRC/update.tps"
expect_exit 0 "$TOOL" build "$SRC/prepare.tps" -o "$WORK/prepare.exe" --stub "$SETUP_STUB"
expect_exit 0 "$TOOL" build "$SRC/update.tps" -o "$WORK/update.exe" --stub "$SETUP_STUB"
mkdir -p "$GAME"
cp "$WORK/base/data.zrp" "$WORK/base/game.vfs" "$GAME/"
expect_exit 0 "$WORK/prepare.exe" -silent -id 'C:\Game'
mkdir -p "$WORK/old" "$WORK/new"
cp "$GAME/data.zrp" "$GAME/game.vfs" "$GAME/game.ht" "$WORK/old/"

fresh() { rm -f "$GAME"/*; cp "$WORK/old/"* "$GAME/"; }

# The new state, from a run that is not interrupted. The data archive's
# trailer holds fresh random seeds, so its new state is compared by what
# the tool lists and by its size; everything else byte for byte.
fresh
start=$(date +%s%N)
expect_exit 0 "$WORK/update.exe" -silent -id 'C:\Game'
duration_ms=$((($(date +%s%N) - start) / 1000000))
cp "$GAME/data.zrp" "$GAME/game.vfs" "$GAME/game.ht" "$WORK/new/"
"$TOOL" zrp list "$WORK/new/data.zrp" >"$WORK/new/list"
echo "an uninterrupted update takes ${duration_ms} ms"

state_of_data_archive() {
  if cmp -s "$GAME/data.zrp" "$WORK/old/data.zrp"; then echo old; return; fi
  "$TOOL" zrp list "$GAME/data.zrp" >"$WORK/list" 2>/dev/null
  if [ "$(stat -c %s "$GAME/data.zrp")" = "$(stat -c %s "$WORK/new/data.zrp")" ] &&
    diff -q <(tail -n +2 "$WORK/list") <(tail -n +2 "$WORK/new/list") >/dev/null; then
    echo new
    return
  fi
  echo neither
}
state_of_vfs() {
  local which
  for which in old new; do
    if cmp -s "$GAME/game.vfs" "$WORK/$which/game.vfs" && cmp -s "$GAME/game.ht" "$WORK/$which/game.ht"; then
      echo "$which"
      return
    fi
  done
  echo neither
}

# Kills at moments spread over the run, and at moments after each archive's
# journal appeared, so many of them fall in the middle of an update.
mid_update=0
round=0
kill_after() {  # WAIT-FOR-FILE DELAY-MS
  round=$((round + 1))
  fresh
  "$WORK/update.exe" -silent -id 'C:\Game' >/dev/null 2>&1 &
  local pid=$!
  if [ -n "$1" ]; then
    local waited=0
    while [ ! -e "$1" ] && kill -0 "$pid" 2>/dev/null && [ "$waited" -lt 30000 ]; do
      sleep 0.001
      waited=$((waited + 1))
    done
  fi
  sleep "$(printf '%d.%03d' $(($2 / 1000)) $(($2 % 1000)))"
  kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  if [ -e "$GAME/data.zrp.journal" ] || [ -e "$GAME/game.vfs.journal" ]; then mid_update=$((mid_update + 1)); fi
  "$TOOL" zrp check "$GAME/data.zrp" >"$WORK/out" 2>"$WORK/err" || fail "round $round: zrp check: $(cat "$WORK/err")"
  "$TOOL" vfs check "$GAME/game.vfs" >"$WORK/out" 2>"$WORK/err" || fail "round $round: vfs check: $(cat "$WORK/err")"
  local data vfs
  data=$(state_of_data_archive)
  vfs=$(state_of_vfs)
  echo "round $round (${1:+after $(basename "$1"), }${2} ms): data archive $data, VFS archive $vfs"
  [ "$data" = neither ] && fail "round $round: the data archive is neither its old nor its new state"
  [ "$vfs" = neither ] && fail "round $round: the VFS archive is neither its old nor its new state"
  [ -e "$GAME/data.zrp.journal" ] || [ -e "$GAME/game.vfs.journal" ] && fail "round $round: a journal survived the next open"
}

for i in $(seq 1 10); do kill_after "" $((duration_ms * i / 11)); done
for delay in 0 3 10 25 60 120; do kill_after "$GAME/data.zrp.journal" "$delay"; done
for delay in 0 5 20 50 100 200 400 700; do kill_after "$GAME/game.vfs.journal" "$delay"; done
[ "$mid_update" -gt 0 ] || fail "no kill fell in the middle of an update"
echo "$mid_update of $round kills left an update unfinished"

finish "every killed update left old or new archives"
