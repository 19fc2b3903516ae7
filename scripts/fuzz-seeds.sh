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

for target in SetupArchive SetupInfo CompiledLines Language PageLayout PagesTxt InstallLog SourceScript RegistryFile \
    DataArchive VfsArchive VfsHashFile WaveFile; do
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

# Game data archives: empty ones, and ones a setup filled (a sound entry, a
# data entry, a VFS folder with files and its ".ht" file).
le32() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))\\x$(printf %02x $((($1 >> 16) & 255)))\\x$(printf %02x $((($1 >> 24) & 255)))"; }
wave() {  # FILE SAMPLE-BYTES: a canonical 16-bit mono wave file
  { printf 'RIFF'; le32 $((36 + $2)); printf 'WAVEfmt '; le32 16; printf '\x01\x00\x01\x00'; le32 22050; le32 44100
    printf '\x02\x00\x10\x00data'; le32 "$2"; head -c "$2" /dev/zero | tr '\0' '\1'; } >"$1"
}
game="$work/game"
mkdir -p "$game/empty" "$game/mods/Sounds" "$game/vfsdata/Maps"
"$tools/tailpack" zrp create "$game/empty/data.zrp" >/dev/null
"$tools/tailpack" vfs create "$game/empty/game.vfs" --block-size 512 --blocks 64 --roots 8 >/dev/null
cp "$game/empty/data.zrp" "$seeds/DataArchive/empty.zrp"
cp "$game/empty/game.vfs" "$seeds/VfsArchive/empty.vfs"
wave "$game/mods/Sounds/door.wav" 3000
cp "$game/mods/Sounds/door.wav" "$seeds/WaveFile/door.wav"
cp tests/fixtures/setup-run/payload/readme.txt "$game/mods/readme.txt"
cp tests/fixtures/setup-run/payload/readme.txt "$game/vfsdata/Maps/readme.txt"
seq 1 3000 >"$game/vfsdata/Maps/big.txt"
cp -r tests/fixtures/setup-run/layout tests/fixtures/setup-run/languages "$game/"
printf '%s\n' 'name "Fuzz Seeds"' 'pages wizard' 'language English' 'installdir "C:\Game"' 'file empty\' \
  'zrpupdate mods\ secret data.zrp' 'vfsupdate vfsdata\ game.vfs' >"$game/setup.tps"
"$tools/tailpack" build "$game/setup.tps" -o "$work/game-setup" --stub "$tools/tailpack-setup" >/dev/null 2>&1
"$work/game-setup" -silent -id 'C:\Game' >/dev/null 2>&1
cp "$work/drive_c/Game/data.zrp" "$seeds/DataArchive/filled.zrp"
cp "$work/drive_c/Game/game.vfs" "$seeds/VfsArchive/filled.vfs"
cp "$work/drive_c/Game/game.ht" "$seeds/VfsHashFile/filled.ht"

for target in "$seeds"/*; do
  [ -n "$(ls -A "$target")" ] || { echo "no seeds for $(basename "$target")" >&2; exit 1; }
done
echo "Seeds in $seeds: $(find "$seeds" -type f | wc -l) files"
