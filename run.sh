#!/usr/bin/env bash
# Installs what is missing, builds, and starts Zandrel.exe under Wine,
# optionally with a module to list:  ./run.sh [FILE]
# The 32-bit program where this machine runs 32-bit Wine, the 64-bit build
# otherwise (ZANDREL_WINDOWS_TREE=win32 or win64 forces one). Without a
# display the program runs under Xvfb; once its window is listed a screenshot
# is saved and its path printed.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup-machine.sh
zandrel_setup_machine
zandrel_choose_windows_tree

cmake --preset "$zandrel_tree" >/dev/null
cmake --build --preset "$zandrel_tree" -j "$(nproc)" --target Zandrel wineprefix

build="$PWD/build/$zandrel_tree"
wine="$build/wine-run.sh"
args=()
if [ $# -gt 0 ]; then
  args+=("$(DISPLAY= "$wine" winepath -w "$(realpath "$1")" 2>/dev/null)")
fi

if [ -n "${DISPLAY:-}" ]; then
  exec "$wine" "$build/Zandrel.exe" "${args[@]}"
fi

shot="${ZANDREL_SCREENSHOT:-$build/screenshot.png}"
log="$build/run.log"
zandrel_start_display
cleanup() {
  WINEPREFIX="$build/wineprefix" wineserver -k >/dev/null 2>&1 || true
  kill "$zandrel_xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
WINEPREFIX="$build/wineprefix" wineserver -k >/dev/null 2>&1 || true

"$wine" "$build/Zandrel.exe" "${args[@]}" >"$log" 2>&1 &
for _ in $(seq 120); do
  if xwininfo -root -tree 2>/dev/null | grep -q '"Zandrel '; then break; fi
  sleep 0.5
done
if ! xwininfo -root -tree 2>/dev/null | grep -q '"Zandrel '; then
  echo "The main window did not appear. What Wine said:" >&2
  sed 's/^/  /' "$log" >&2
  exit 1
fi
sleep "${ZANDREL_SETTLE_SECONDS:-3}"
# Without a window manager the window has no frame: capture its client area.
window=$(xwininfo -root -tree 2>/dev/null | grep '"Zandrel ' | head -n 1 | awk '{print $1}')
import -window "$window" "$shot" 2>/dev/null || import -window root "$shot"
echo "Screenshot: $shot"
