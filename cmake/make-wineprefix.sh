#!/bin/sh
# Makes the Wine prefix of a Windows build tree, reporting Windows 10 (or the
# version given), unless it is already there:
#   make-wineprefix.sh WINE-RUN PREFIX [VERSION]
# WINE-RUN is the tree's wine-run.sh, which picks the tree's Wine loader. When
# Wine cannot start or the prefix cannot be made, Wine's own words are printed
# with what to do, and the script fails.
set -u
run="$1"
prefix="$2"
version="${3:-win10}"
[ -f "$prefix/.zandrel-ready" ] && exit 0
export WINEPREFIX="$prefix"
# Made without a display: tests start their own.
export DISPLAY=
log="$prefix.log"

fail() {
  echo "Could not make the Wine prefix $prefix: $1" >&2
  echo "What Wine said:" >&2
  sed 's/^/  /' "$log" >&2
  if grep -qi "exec format error" "$log"; then
    echo "This machine cannot execute 32-bit programs, so the 32-bit build cannot run here." >&2
    echo "Use the 64-bit tree: ZANDREL_WINDOWS_TREE=win64 ./test.sh (./test.sh picks it by itself)." >&2
  else
    echo "Check that Wine starts ('$run --version'), then remove $prefix and try again." >&2
  fi
  exit 1
}

if [ -d "$prefix" ]; then
  wineserver -k 2>/dev/null || true
  rm -rf "$prefix"
fi
"$run" --version >"$log" 2>&1 || fail "Wine does not start"
"$run" wineboot -i >>"$log" 2>&1 || fail "wineboot failed"
"$run" winecfg -v "$version" >>"$log" 2>&1 || fail "winecfg failed"
wineserver -w
[ -f "$prefix/system.reg" ] || fail "the prefix holds no registry"
# The prefix was prepared without a display; tests start their own server.
wineserver -k 2>/dev/null || true
touch "$prefix/.zandrel-ready"
