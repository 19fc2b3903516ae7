#!/usr/bin/env bash
# Builds the tools and the demo setup (examples/demo), then runs the setup.
# It installs into a private drive C: and registry file under build/demo, so
# nothing of the machine is touched; the uninstaller it writes can be run the
# same way afterwards. The wizard runs in the terminal (Enter = Next, b = Back,
# l = language, q = Cancel; type a folder on the folder page).
#
#   scripts/run-demo.sh            the wizard in the terminal
#   scripts/run-demo.sh -silent    an unattended installation
#   scripts/run-demo.sh uninstall  run the installed uninstaller
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset native-release >/dev/null
cmake --build --preset native-release
tools=build/native-release/src
demo=build/demo
mkdir -p "$demo/drive_c"
export TAILPACK_DRIVES="C=$PWD/$demo/drive_c"
export TAILPACK_REGISTRY="$PWD/$demo/registry.reg"

if [ "${1:-}" = "uninstall" ]; then
  shift
  uninstaller="$demo/drive_c/Program Files/Tailpack Demo/TailpackDemo_Uninstall.exe"
  [ -x "$uninstaller" ] || { echo "The demo is not installed (no $uninstaller)." >&2; exit 1; }
  exec "$uninstaller" "$@"
fi

"$tools/tailpack" build examples/demo/setup.tps -o "$demo/demo-setup" --stub "$tools/tailpack-setup"
echo "Installing into $demo/drive_c (drive C:); registry: $demo/registry.reg"
set +e
"$demo/demo-setup" "$@"
code=$?
set -e
echo "The setup ended with exit code $code. Installed files:"
find "$demo/drive_c" -type f | sed "s|^$demo/drive_c|  C:|"
echo "Uninstall with: scripts/run-demo.sh uninstall"
exit $code
