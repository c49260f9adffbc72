#!/usr/bin/env bash
# Screenshots of the program's windows under Xvfb with a window manager: the
# main window (listing a module, with the log of an extraction), the general
# menu with a submenu, the list's context menu for one row and for several,
# the inspector, the About window and the update window, in the language and
# style given (default English, plain):
#   tools/screenshots.sh OUTDIR [LANGUAGE] [MODULE] [plain|light|dark]
# The program runs from a portable copy in a temporary folder, and the module
# is copied there too, so nothing of the build, of the user's profile or
# beside the module is touched.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:?usage: tools/screenshots.sh OUTDIR [LANGUAGE] [MODULE] [plain|light|dark]}")
language=${2:-English}
source_module=${3:-/usr/lib/i386-linux-gnu/wine/i386-windows/shell32.dll}
look=${4:-plain}
mkdir -p "$out"
source tools/setup-machine.sh
zandrel_setup_machine xdotool openbox
# The tree this machine runs (ZANDREL_WINDOWS_TREE forces one).
zandrel_choose_windows_tree

cmake --preset "$zandrel_tree" >/dev/null
cmake --build --preset "$zandrel_tree" --target Zandrel wineprefix >/dev/null
build="$PWD/build/$zandrel_tree"
wine="$build/wine-run.sh"
app=$(mktemp -d)
cp "$build/Zandrel.exe" "$app/"
cp -r "$build/Language" "$app/"
: >"$app/portable.ini"
mkdir -p "$app/Config"
printf '[Language]\r\nLanguage=%s\r\n' "$language" >"$app/Config/Option.ini"
case "$look" in
  light) printf '[Option]\r\nThemeLight=1\r\n' >>"$app/Config/Option.ini" ;;
  dark) printf '[Option]\r\nThemeDark=1\r\n' >>"$app/Config/Option.ini" ;;
  plain) ;;
  *) echo "unknown style: $look" >&2; exit 2 ;;
esac
mkdir -p "$app/sample"
module="$app/sample/$(basename "$source_module")"
cp "$source_module" "$module"

export WINEPREFIX="$build/wineprefix"
zandrel_start_display
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  kill "$wm" "$zandrel_xvfb_pid" 2>/dev/null || true
  rm -rf "$app"
}
openbox >/dev/null 2>&1 &
wm=$!
trap cleanup EXIT
wineserver -k >/dev/null 2>&1 || true

"$wine" "$app/Zandrel.exe" "$("$wine" winepath -w "$module")" >/dev/null 2>&1 &
main=""
for _ in $(seq 120); do
  main=$(xdotool search --name '^Zandrel ' 2>/dev/null | head -n 1 || true)
  [ -n "$main" ] && break
  sleep 0.5
done
[ -n "$main" ] || { echo "The main window did not appear." >&2; exit 1; }
sleep 3
xdotool windowactivate --sync "$main" 2>/dev/null || true
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$main")"
# "Extract all" (the wide button above the list) fills the log; the output
# folder is the default one beside the copied module.
xdotool mousemove --window "$main" $((WIDTH / 2)) 172 click 1
sleep 12
import -window "$main" "$out/main.png"
# The list's context menu on the first row.
xdotool mousemove --window "$main" $((WIDTH / 3)) 241 click 3
sleep 1
import -window root "$out/context-menu.png"
xdotool key Escape
sleep 0.5
# Three rows at once (a Shift+click two rows down) and their context menu.
xdotool mousemove --window "$main" $((WIDTH / 3)) 241 click 1
xdotool keydown shift mousemove --window "$main" $((WIDTH / 3)) 305 click 1 keyup shift
sleep 0.5
xdotool mousemove --window "$main" $((WIDTH / 3)) 273 click 3
sleep 1
import -window root "$out/context-menu-rows.png"
xdotool key Escape
sleep 0.5
# The inspector of the first row (Alt+Enter), with the window frame.
xdotool mousemove --window "$main" $((WIDTH / 3)) 241 click 1
xdotool key alt+Return
sleep 3
inspector=$(xdotool search --onlyvisible --name 'Group properties|Свойства группы' | head -n 1)
import -frame -window "$inspector" "$out/inspector.png"
xdotool key Escape
sleep 0.5
xdotool windowactivate --sync "$main" 2>/dev/null || true

# The general menu: the "≡" button sits at the right end of the title strip.
xdotool mousemove --window "$main" $((WIDTH / 2)) $((HEIGHT - 40))
sleep 0.3
xdotool mousemove --window "$main" $((WIDTH - 16)) 16 click 1
sleep 1
import -window root "$out/menu.png"
# The language submenu beside it.
xdotool key Down Down Right
sleep 1
import -window root "$out/menu-language.png"
xdotool key Escape Escape
sleep 0.5
xdotool mousemove --window "$main" $((WIDTH / 2)) $((HEIGHT - 40))
sleep 0.3

xdotool windowactivate --sync "$main" 2>/dev/null || true
xdotool key F1
sleep 1.5
about=$(xdotool getactivewindow)
import -frame -window "$about" "$out/about.png"
# Closed with its button, at the middle of the strip along the bottom.
eval "$(xdotool getwindowgeometry --shell "$about")"
xdotool mousemove --window "$about" $((WIDTH / 2)) $((HEIGHT - 17)) click 1
sleep 1
eval "$(xdotool getwindowgeometry --shell "$main")"

# The update window through the menu: the fourth item that can be chosen.
# A pass over the log first: the button opens the menu again only after the
# mouse has left it for the window.
xdotool mousemove --window "$main" $((WIDTH / 2)) $((HEIGHT - 40))
sleep 0.3
xdotool mousemove --window "$main" $((WIDTH - 16)) 16 click 1
sleep 1
xdotool key Down Down Down Down Return
sleep 2
import -frame -window "$(xdotool getactivewindow)" "$out/update.png"
xdotool key Escape
sleep 1

# A switch at run time through the theme submenu (the first item): to light
# from dark, to dark from light.
if [ "$look" != plain ]; then
  xdotool windowactivate --sync "$main" 2>/dev/null || true
  eval "$(xdotool getwindowgeometry --shell "$main")"
  xdotool mousemove --window "$main" $((WIDTH / 2)) $((HEIGHT - 40))
  sleep 0.3
  xdotool mousemove --window "$main" $((WIDTH - 16)) 16 click 1
  sleep 1
  if [ "$look" = dark ]; then xdotool key Down Right Down; else xdotool key Down Right Down Down; fi
  sleep 0.5
  import -window root "$out/menu-theme.png"
  xdotool key Return
  sleep 1.5
  import -window "$main" "$out/switched.png"
fi
echo "Screenshots in $out"
