#!/bin/sh
# Runs a cross-built Windows program under Wine: the CROSSCOMPILING_EMULATOR
# of the Windows builds, so ctest lists and runs the unit tests through it.
# The prefix is WINEPREFIX from the environment; scripts/test-windows.sh makes
# a private one per run and keeps one wineserver alive for all tests.
WINEDEBUG=-all
export WINEDEBUG
# Shell links made by tests must not become menu entries on the host.
WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}winemenubuilder.exe=d"
export WINEDLLOVERRIDES
wine "$@"
status=$?
# Wine's own start-up can fail before the program prints a line; the status
# is then the only trace a test log keeps.
if [ "$status" -ne 0 ]; then
  echo "wine-run: $1 ended with status $status" >&2
fi
exit "$status"
