#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds KVRTime and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh
cmake --preset debug
cmake --build --preset debug
ctest --preset debug
