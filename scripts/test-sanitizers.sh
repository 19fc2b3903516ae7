#!/usr/bin/env bash
# Builds the native tests under the address and undefined-behaviour
# sanitizers (the "asan" preset, build/asan) and runs them all, the
# end-to-end scripts included, so a memory fault cannot pass unseen.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset asan
cmake --build --preset asan
# Undefined behaviour fails the test that meets it instead of only printing.
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
ctest --preset asan
