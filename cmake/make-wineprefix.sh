#!/bin/sh
# Creates a fresh Wine prefix that reports Windows 10 (or the version given
# as the second argument), inside the build folder.
set -e
prefix="$1"
version="${2:-win10}"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
if [ -d "$prefix" ]; then
  wineserver -k 2>/dev/null || true
  rm -rf "$prefix"
fi
wineboot -i >/dev/null 2>&1
winecfg -v "$version" >/dev/null 2>&1
wineserver -w
# The prefix was prepared without a display; tests start their own server.
wineserver -k 2>/dev/null || true
touch "$prefix/.zandrel-ready"
