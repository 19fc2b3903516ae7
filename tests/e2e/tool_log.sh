#!/usr/bin/env bash
# End-to-end run of `tailpack log` on uninstall logs written by a small
# independent writer below, straight from docs/formats/uninstall-log.md and
# the key in src/uninstall/CipherKeys.h.
#
# Usage: tool_log.sh FOLDER-OF-THE-TAILPACK-EXECUTABLE
set -u

TOOL="$1/tailpack"
KEYS="$(dirname "$0")/../../src/uninstall/CipherKeys.h"
source "$(dirname "$0")/lib/common.sh"

# write_log FILE CUT FILES|VALUES|FOLDERS: entries separated by ";" in each list.
write_log() {
  python3 - "$KEYS" "$@" <<'PYTHON'
import re, struct, sys
keys_header, output, cut, *lists = sys.argv[1:]
text = open(keys_header).read()
body = text[text.index("kUninstallLogKey"):text.index(";", text.index("kUninstallLogKey"))]
key = "".join(re.findall(r'"(\d+)"', body))
assert len(key) == 244
def encipher(s):
    data = s.encode("cp1252")
    return bytes((b + int(key[i % len(key)])) % 256 for i, b in enumerate(data))
entries = [[e for e in l.split(";") if e] for l in lists]
out = b"".join(struct.pack("<H", len(l)) for l in entries)
for l in entries:
    for e in l:
        c = encipher(e)
        out += struct.pack("<H", len(c)) + c
if int(cut):
    out = out[:-int(cut)]
open(output, "wb").write(out)
PYTHON
}

mkdir -p "$WORK/game"
write_log "$WORK/game/Demo_install.log" 0 \
  '$INSTDIR\game.exe;$INSTDIR\data\levels.dat;$SMPROGRAMS\Demo\Demo.lnk' \
  '"HKLM" "Software\Demo" "InstallPath" "$INSTDIR"' \
  'C:\Games\Demo\;C:\Games\Demo\data'
expect_exit 0 "$TOOL" log "$WORK/game" --prefix Demo
expect_in "$WORK/out" 'Files (3):'
expect_in "$WORK/out" '  $INSTDIR\data\levels.dat'
expect_in "$WORK/out" 'Registry values (1):'
expect_in "$WORK/out" '  "HKLM" "Software\Demo" "InstallPath" "$INSTDIR"'
expect_in "$WORK/out" 'Folders (2):'
expect_in "$WORK/out" '  C:\Games\Demo\data'
expect_exit 0 "$TOOL" log "$WORK/game" --prefix Demo_

# An empty log is six zero bytes.
write_log "$WORK/game/install.log" 0 '' '' ''
[ "$(od -An -tx1 "$WORK/game/install.log" | tr -d ' \n')" = "000000000000" ] || fail "the empty log is not six zero bytes"
expect_exit 0 "$TOOL" log "$WORK/game"
expect_in "$WORK/out" 'Files (0):'

# A log cut short is reported as damaged; the complete entries are shown.
write_log "$WORK/game/Cut_install.log" 3 'C:\kept.txt;C:\cut.txt' '' ''
expect_exit 0 "$TOOL" log "$WORK/game" --prefix Cut
expect_in "$WORK/err" 'damaged'
expect_in "$WORK/out" '  C:\kept.txt'
grep -qF 'cut.txt' "$WORK/out" && fail "a cut entry was shown"

# Control characters in entries are shown escaped, never sent to the terminal.
write_log "$WORK/game/Esc_install.log" 0 $'C:\\a\e[2K\e[1Ab.txt' $'"HKCU" "Soft\aware" "" ""' ''
expect_exit 0 "$TOOL" log "$WORK/game" --prefix Esc
expect_in "$WORK/out" '  C:\a\x1b[2K\x1b[1Ab.txt'
expect_in "$WORK/out" '  "HKCU" "Soft\x07ware" "" ""'
grep -q $'[\a\e]' "$WORK/out" && fail "a control character reached the terminal"

expect_exit 3 "$TOOL" log "$WORK/game" --prefix Nothing
expect_in "$WORK/err" 'no uninstall log'

finish "all log checks passed"
