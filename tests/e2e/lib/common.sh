# Shared by the end-to-end scripts: a private work folder with its own C:
# drive, failure counting, and checks of exit codes and output.
# Source it after setting TOOL; it sets WORK and FAILURES.

WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
# A private C: drive; host paths under / are reached through Z:.
mkdir -p "$WORK/drive_c"
export TAILPACK_DRIVES="C=$WORK/drive_c"

FAILURES=0
fail() {
  echo "FAIL: $*" >&2
  FAILURES=$((FAILURES + 1))
}

# expect_exit CODE COMMAND...: runs the command, keeping its output in
# $WORK/out and $WORK/err, and checks its exit code.
expect_exit() {
  local want="$1"
  shift
  "$@" >"$WORK/out" 2>"$WORK/err"
  local got=$?
  if [ "$got" -ne "$want" ]; then
    fail "exit $got instead of $want: $*"
    sed 's/^/  stdout: /' "$WORK/out" >&2
    sed 's/^/  stderr: /' "$WORK/err" >&2
  fi
}

expect_in() {  # FILE TEXT
  grep -qF -- "$2" "$1" || fail "\"$2\" missing from $(basename "$1"): $(head -c 600 "$1")"
}

# Ends the script with the verdict.
finish() {
  if [ "$FAILURES" -ne 0 ]; then
    echo "$FAILURES failure(s)" >&2
    exit 1
  fi
  echo "${1:-all checks passed}"
}
