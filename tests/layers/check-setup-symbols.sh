#!/usr/bin/env bash
# The setup program travels with every setup: it must hold no code of the
# builder. Lists the builder's symbols in tailpack-setup (there must be none)
# and in tailpack (there must be some, so a pattern that no longer names the
# builder's code fails here instead of passing quietly).
# Usage: check-setup-symbols.sh TAILPACK-SETUP TAILPACK
set -euo pipefail
setup=$1
tool=$2
pattern='tailpack::(TCompiler|TSetupPlan|TSourceScript|CompileCommand|PlanSetup|WriteSetup|ParseSourceScript)\b'

# Whole listings first: grep -q would end the pipe early and fail nm.
tool_symbols=$(nm -C "$tool")
setup_symbols=$(nm -C "$setup")
if ! grep -Eq "$pattern" <<<"$tool_symbols"; then
  echo "FAIL: no builder symbol found in $tool: the pattern no longer names the builder's code" >&2
  exit 1
fi
if found=$(grep -E "$pattern" <<<"$setup_symbols"); then
  echo "FAIL: $setup holds builder code:" >&2
  echo "$found" | head -20 >&2
  exit 1
fi
echo "no builder code in $setup"
