#!/usr/bin/env bash
# Installs the Debian packages that building and testing need (clang-14 and
# its runtime libraries for the fuzz targets of fuzz/).
set -euo pipefail
packages=(cmake ninja-build g++ zlib1g-dev libgtest-dev libgmock-dev libbenchmark-dev libssl-dev
  libcli11-dev time g++-mingw-w64-x86-64 g++-mingw-w64-i686 libz-mingw-w64-dev wine fonts-wine xvfb
  xauth xdotool imagemagick openssl osslsigncode clang-14 libclang-rt-14-dev)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "All build packages are installed."
  exit 0
fi
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
