#!/usr/bin/env bash
# Cross-compiles the core libraries and kvrtool for Windows with MinGW-w64.
set -euo pipefail
cd "$(dirname "$0")/.."
echo "cross build not set up yet"
