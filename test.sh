#!/usr/bin/env bash
# Installs what is missing, builds both trees and runs every test.
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup-machine.sh
zandrel_setup_machine

jobs=$(nproc)

echo "== native build"
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"

echo "== fuzz targets: regression inputs and a short smoke run of each"
tools/fuzz/run.sh "${ZANDREL_FUZZ_SECONDS:-3}"

echo "== win32 build"
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$jobs"
ctest --preset win32 -j "$jobs"
