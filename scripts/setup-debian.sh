#!/usr/bin/env bash
# Installs what building and testing KVRTime needs on Debian 12 (run as root).
set -euo pipefail
packages=(
  cmake ninja-build g++ clang
  libgtest-dev libbenchmark-dev libsqlite3-dev libpugixml-dev
  g++-mingw-w64-x86-64-posix libclang-rt-14-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
fi
