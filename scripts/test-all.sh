#!/usr/bin/env bash
# Builds every configuration and runs every test: natively; natively again
# under the address and undefined-behaviour sanitizers; every fuzz target for
# a short bounded time (FUZZ_SECONDS, 20 s each); then the Windows builds
# with their unit tests under Wine. Stops at the first part that fails.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset native
cmake --build --preset native
ctest --preset native
scripts/test-sanitizers.sh
scripts/test-fuzz.sh
scripts/test-windows.sh
