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
#   scripts/run-demo.sh --windows  the Windows setup under Wine: on your display
#                                  when DISPLAY is set (a Wine prefix of its own
#                                  under build/demo-windows), otherwise driven on
#                                  Xvfb through every page, with a screenshot of
#                                  each in build/demo-windows/screenshots
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = "--windows" ]; then
  shift
  # The Windows tool builds the Windows setup; no native build is needed.
  cmake --preset win64 >/dev/null
  cmake --build build/win64 --target tailpack-setup tailpack
  out=build/demo-windows
  mkdir -p "$out"
  export LC_ALL=C.UTF-8
  if [ -z "${DISPLAY:-}" ]; then
    bash tests/wine/gui_setup.sh build/win64/src "$out/screenshots"
    echo "Screenshots of every page: $out/screenshots"
    exit 0
  fi
  source tests/wine/lib/gui.sh
  export WINEPREFIX="$PWD/$out/prefix" WINEARCH=win64 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  mkdir -p "$WINEPREFIX"
  [ -f "$WINEPREFIX/system.reg" ] || { wineboot --init >/dev/null 2>&1; gui_prepare_prefix; }
  wine build/win64/src/tailpack.exe build "$(winepath -w examples/demo/setup.tps)" \
    -o "$(winepath -w "$out/demo-setup.exe")" --stub "$(winepath -w build/win64/src/tailpack-setup.exe)"
  echo "Running the Windows setup under Wine (prefix $WINEPREFIX)"
  set +e
  wine "$out/demo-setup.exe" "$@"
  code=$?
  set -e
  echo "The setup ended with exit code $code."
  echo "Uninstall with: WINEPREFIX=$WINEPREFIX wine 'C:\\Program Files\\Tailpack Demo\\TailpackDemo_Uninstall.exe'"
  exit $code
fi

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
