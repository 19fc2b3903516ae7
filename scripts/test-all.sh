#!/usr/bin/env bash
# Builds every configuration and runs every test: natively, then the Windows
# builds with their unit tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset native
cmake --build --preset native
ctest --preset native
scripts/test-windows.sh
