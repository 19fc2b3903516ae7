#!/usr/bin/env bash
# Writes the seed corpora of the fuzz targets from the fixtures and the demo:
# the setup archives "tailpack build" makes of them, the entries inside
# ("SetupInfo", "CompiledLines", languages, "Pages.txt" and page layouts), the
# setup scripts, and the uninstall log and registry file a silent
# installation of the demo leaves. Nothing binary is kept in git: the seeds
# are made again from the sources on every run.
#
#   scripts/fuzz-seeds.sh TOOLS SEEDS
#
# TOOLS holds a native tailpack and tailpack-setup (build/native/src); SEEDS
# receives one folder per target.
set -euo pipefail
cd "$(dirname "$0")/.."
tools="$(cd "$1" && pwd)"
mkdir -p "$2"
seeds="$(cd "$2" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export TAILPACK_DRIVES="C=$work/drive_c"
export TAILPACK_REGISTRY="$work/registry.reg"
mkdir -p "$work/drive_c"

for target in SetupArchive SetupInfo CompiledLines Language PageLayout PagesTxt InstallLog SourceScript RegistryFile; do
  rm -rf "${seeds:?}/$target"
  mkdir -p "$seeds/$target"
done

scripts=(tests/fixtures/*/setup.tps examples/demo/setup.tps)
for script in "${scripts[@]}"; do
  name="$(basename "$(dirname "$script")")"
  cp "$script" "$seeds/SourceScript/$name.tps"
  "$tools/tailpack" build "$script" -o "$work/$name.pak" --no-stub >/dev/null 2>&1
  cp "$work/$name.pak" "$seeds/SetupArchive/$name.pak"
  "$tools/tailpack" extract "$work/$name.pak" -o "$work/$name" --group 0 >/dev/null
  for entry in "$work/$name"/*; do
    base="$(basename "$entry")"
    case "$base" in
      SetupInfo) target=SetupInfo ;;
      CompiledLines) target=CompiledLines ;;
      LANGUAGE-* | UNINSTALL_LANGUAGE-*) target=Language ;;
      Pages.txt | UNINSTALL_Pages.txt) target=PagesTxt ;;
      *.txt) target=PageLayout ;;
      *) continue ;;
    esac
    cp "$entry" "$seeds/$target/$name-$base"
  done
done

# A silent installation of the demo writes an uninstall log and registry values.
"$tools/tailpack" build examples/demo/setup.tps -o "$work/demo-setup" --stub "$tools/tailpack-setup" >/dev/null 2>&1
"$work/demo-setup" -silent >/dev/null 2>&1
find "$work/drive_c" -name '*install.log' -exec cp {} "$seeds/InstallLog/" \;
cp "$TAILPACK_REGISTRY" "$seeds/RegistryFile/demo.reg"
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Plain]\r\n"Name"="ANSI text"\r\n@=hex(1):41,00,0a,00,00,00\r\n' \
  >"$seeds/RegistryFile/regedit4.reg"

for target in "$seeds"/*; do
  [ -n "$(ls -A "$target")" ] || { echo "no seeds for $(basename "$target")" >&2; exit 1; }
done
echo "Seeds in $seeds: $(find "$seeds" -type f | wc -l) files"
