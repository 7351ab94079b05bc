#!/usr/bin/env bash
# Cross-compiles the core libraries and kvrtool for Windows with MinGW-w64.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/windows -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release \
  -DKVR_CORE_ONLY=ON
cmake --build build/windows --target kvrtool -j 2
