#!/usr/bin/env bash
# Installs what is missing, builds, and starts Zandrel.exe under Wine,
# optionally with a module to list:  ./run.sh [FILE]
# Without a display the program runs under Xvfb; once its window is listed a
# screenshot is saved and its path printed.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup-machine.sh
zandrel_setup_machine

cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$(nproc)" --target Zandrel wineprefix

build="$PWD/build/win32"
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
args=()
if [ $# -gt 0 ]; then
  args+=("$(winepath -w "$(realpath "$1")" 2>/dev/null)")
fi

if [ -n "${DISPLAY:-}" ]; then
  exec wine "$build/Zandrel.exe" "${args[@]}"
fi

shot="${ZANDREL_SCREENSHOT:-$build/screenshot.png}"
zandrel_start_display
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  kill "$zandrel_xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
wineserver -k >/dev/null 2>&1 || true

wine "$build/Zandrel.exe" "${args[@]}" >/dev/null 2>&1 &
for _ in $(seq 120); do
  if xwininfo -root -tree 2>/dev/null | grep -q '"Zandrel '; then break; fi
  sleep 0.5
done
if ! xwininfo -root -tree 2>/dev/null | grep -q '"Zandrel '; then
  echo "The main window did not appear." >&2
  exit 1
fi
sleep "${ZANDREL_SETTLE_SECONDS:-3}"
# Without a window manager the window has no frame: capture its client area.
window=$(xwininfo -root -tree 2>/dev/null | grep '"Zandrel ' | head -n 1 | awk '{print $1}')
import -window "$window" "$shot" 2>/dev/null || import -window root "$shot"
echo "Screenshot: $shot"
