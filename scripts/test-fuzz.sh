#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ (the "fuzz" preset: clang with the
# address and undefined-behaviour sanitizers, build/fuzz), makes their seed
# corpora from the fixtures (scripts/fuzz-seeds.sh) and runs each target for
# a bounded time. A crash fails the run; its input is kept in
# build/fuzz/artifacts. docs/fuzzing.md tells how to run longer and how a
# crash becomes a regular test.
#
#   scripts/test-fuzz.sh [TARGET...]    FUZZ_SECONDS=20 per target by default
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-20}"

cmake --preset fuzz
cmake --build --preset fuzz
# The seeds are made by the native tools.
if [ ! -x build/native/src/tailpack ] || [ ! -x build/native/src/tailpack-setup ]; then
  cmake --preset native
  cmake --build --preset native --target tailpack tailpack-setup
fi
scripts/fuzz-seeds.sh build/native/src build/fuzz/seeds

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for binary in build/fuzz/fuzz/*_fuzz; do targets+=("$(basename "$binary" _fuzz)"); done
fi
mkdir -p build/fuzz/artifacts build/fuzz/logs
status=0
for target in "${targets[@]}"; do
  corpus="build/fuzz/corpus/$target"
  log="build/fuzz/logs/$target.log"
  mkdir -p "$corpus"
  # New inputs go into the corpus, which stays between runs; the seeds are
  # only read.
  if build/fuzz/fuzz/"${target}_fuzz" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
      -artifact_prefix="build/fuzz/artifacts/$target-" "$corpus" "build/fuzz/seeds/$target" >"$log" 2>&1; then
    echo "== $target: $(grep -Eo 'Done [0-9]+ runs' "$log" | tail -1 || true) in $seconds s, corpus of $(ls "$corpus" | wc -l)"
  else
    echo "== $target: FAILED, the input is in build/fuzz/artifacts/ ($log):"
    tail -40 "$log"
    status=1
  fi
done
exit "$status"
