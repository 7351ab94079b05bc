#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds KVRTime and runs its main job on
# the built-in demo data.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh
cmake --preset release
cmake --build --preset release --target kvrtool
build/bin/kvrtool table dump --from binary samples/qbEmp.bin
