#!/usr/bin/env bash
# Installs what is missing, builds the trees and runs every test.
# Exits non-zero on any failure.
#
# The Windows suites run on one tree, chosen by what this machine can run
# (ZANDREL_WINDOWS_TREE=win32 or win64 forces one): the shipped 32-bit program
# where 32-bit Wine starts, the 64-bit build under 64-bit Wine where it cannot.
# There the 32-bit tree is still built, so the shipped program compiles and
# links on every change.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup-machine.sh
zandrel_setup_machine
zandrel_choose_windows_tree

jobs=$(nproc)

echo "== native build"
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"

echo "== fuzz targets: regression inputs and a short smoke run of each"
tools/fuzz/run.sh "${ZANDREL_FUZZ_SECONDS:-3}"

if [ "$zandrel_tree" = win64 ]; then
  echo "== win32 build (built only: this machine cannot run it)"
  cmake --preset win32 >/dev/null
  cmake --build --preset win32 -j "$jobs"
fi

echo "== $zandrel_tree build and its tests under Wine"
cmake --preset "$zandrel_tree" >/dev/null
cmake --build --preset "$zandrel_tree" -j "$jobs"
status=0
ctest --preset "$zandrel_tree" -j "$jobs" || status=$?
echo "== Windows tests of the $zandrel_tree tree"
tools/test-summary.sh "build/$zandrel_tree"
exit "$status"
