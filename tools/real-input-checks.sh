#!/usr/bin/env bash
# The main window driven as a user drives it: real mouse and keyboard input
# (xdotool) under Xvfb with a window manager (openbox), on a portable copy of
# the program in a temporary folder. Each check prints PASS or FAIL; the
# screenshots it takes land in OUTDIR:
#   tools/real-input-checks.sh OUTDIR
# Checks: Enter, save, Enter saves the row again and writes nothing else; a
# double-click in the open dialog does not open it again; files that are not
# modules leave "Извлечь все" off; a second copy hands its file over; "≡"
# opens on the first click after each kind of menu command; an output folder
# that cannot be written brings the box; the window maximises and comes back
# maximised, in both styles.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:?usage: tools/real-input-checks.sh OUTDIR}")
mkdir -p "$out"
source tools/setup-machine.sh
zandrel_setup_machine xdotool openbox
zandrel_choose_windows_tree
cmake --preset "$zandrel_tree" >/dev/null
cmake --build --preset "$zandrel_tree" --target Zandrel wineprefix >/dev/null
build="$PWD/build/$zandrel_tree"
wine="$build/wine-run.sh"

work=$(mktemp -d)
app="$work/app"
mkdir -p "$app/Config" "$work/sample" "$work/saved"
cp "$build/Zandrel.exe" "$app/"
cp -r "$build/Language" "$app/"
: >"$app/portable.ini"
modules=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
cp "$modules/shell32.dll" "$modules/comdlg32.dll" "$work/sample/"
echo "plain text" >"$work/sample/text.dll"
: >"$work/sample/empty.dll"
head -c 100 "$modules/comdlg32.dll" >"$work/sample/cut.dll"

export WINEPREFIX="$build/wineprefix"
zandrel_start_display
openbox >/dev/null 2>&1 &
wm=$!
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  kill "$wm" "$zandrel_xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
wineserver -k >/dev/null 2>&1 || true

failed=0
check() {  # check NAME CONDITION-COMMAND...
  local name=$1
  shift
  if "$@"; then
    echo "PASS  $name"
  else
    failed=$((failed + 1))
    echo "FAIL  $name (screen: $out/failed-$failed.png)"
    import -window root "$out/failed-$failed.png"
  fi
}
win() { "$wine" winepath -w "$1" 2>/dev/null; }
shot() { import -window root "$out/$1.png"; }
main=""
start() {  # start [FILE]: the program, waiting for its window
  "$wine" "$app/Zandrel.exe" "$@" >/dev/null 2>&1 &
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
}
stop() {
  xdotool windowactivate --sync "$main" 2>/dev/null || true
  xdotool key alt+F4
  for _ in $(seq 40); do xdotool search --name '^Zandrel ' >/dev/null 2>&1 || break; sleep 0.25; done
  # The settings are written before the window goes; Explorer windows the
  # checks opened go with the server.
  sleep 1
  wineserver -k >/dev/null 2>&1 || true
  sleep 1
}
dialog_open() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
# Wine's popup menus are the program's visible windows without a name.
menus_open() {
  local w
  for w in $(xdotool search --onlyvisible --class zandrel.exe 2>/dev/null); do
    [ -z "$(xdotool getwindowname "$w" 2>/dev/null)" ] && return 0
  done
  return 1
}
click() { xdotool mousemove --window "$main" "$1" "$2" click "${3:-1}"; }
# Window coordinates of the design layout (client area, 96 DPI).
menu_button() { eval "$(xdotool getwindowgeometry --shell "$main")"; click $((WIDTH - 16)) 16; }
source_field() { click 290 66; }
first_row() { click 300 241; }
extract_button() { eval "$(xdotool getwindowgeometry --shell "$main")"; click $((WIDTH / 2)) 172; }
# Types a path into the focused file dialog and confirms it.
answer_dialog() {
  xdotool key ctrl+a
  xdotool type --delay 15 "$1"
  xdotool key Return
  sleep 2
}

# --- Enter, save, Enter: the row is saved again, nothing else is written -------------
start "$(win "$work/sample/shell32.dll")"
first_row
sleep 0.5
xdotool key Return
sleep 2
answer_dialog "$(win "$work/saved/first.ico")"
xdotool key Return
sleep 2
check "Enter after a save dialog opens the save dialog again" dialog_open 'Сохранить иконку'
answer_dialog "$(win "$work/saved/second.ico")"
check "both saves wrote their file" test -f "$work/saved/first.ico" -a -f "$work/saved/second.ico"
check "\"Извлечь все\" wrote nothing" test ! -e "$work/sample/Extracted Icons"

# --- the open dialog: its types, and a double-click over the source field ------------
source_field
sleep 2
check "a click on the source field opens the open dialog" dialog_open 'Открыть файл'
answer_dialog "$(win "$work/sample")"
dialog=$(xdotool search --onlyvisible --name 'Открыть файл' | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$dialog")"
# The type list at the dialog's lower right, opened to show both types.
xdotool mousemove --window "$dialog" $((WIDTH - 45)) $((HEIGHT - 42)) click 1
sleep 1
shot open-dialog-types
xdotool key Escape
sleep 0.5
# The files are listed in name order: comdlg32, cut, empty, shell32, text;
# the second row lies over the source field of the window below.
xdotool mousemove --window "$dialog" 200 $((75 + 16)) click --repeat 2 --delay 80 1
sleep 3
check "a double-click that closes the open dialog does not open it again" \
  bash -c "! xdotool search --onlyvisible --name 'Открыть файл' >/dev/null 2>&1"
shot not-a-module
stop

# --- files that are not modules, and a second copy handing its file over -------------
start "$(win "$work/sample/comdlg32.dll")"
for name in text.dll empty.dll cut.dll; do
  "$wine" "$app/Zandrel.exe" "$(win "$work/sample/$name")" >/dev/null 2>&1
  sleep 3
  shot "second-copy-$name"
done
"$wine" "$app/Zandrel.exe" "$(win "$work/sample/shell32.dll")" >/dev/null 2>&1
sleep 4
shot second-copy-shell32
check "a second copy ends without a window of its own" \
  test "$(xdotool search --onlyvisible --name '^Zandrel ' | wc -l)" -eq 1

# --- "≡" opens on the first click after each kind of menu command --------------------
mkdir -p "$work/sample/Extracted Icons"  # so that "Открыть папку" is on
# Keys from the top of the menu: the language submenu's first item (English),
# the verb, the theme submenu's light item, then the folder.
for keys in "Down Down Right Return" "Down Down Down Down Return" "Down Right Down Return" \
            "Down Down Down Return"; do
  menu_button
  sleep 1
  xdotool key $keys
  sleep 3
  xdotool windowactivate --sync "$main" 2>/dev/null || true
  menu_button
  sleep 1
  check "\"≡\" opens at once after the command ($keys)" menus_open
  xdotool key Escape
  sleep 0.5
  # A menu closed without a command leaves the button to be re-armed by a
  # pass over the log.
  eval "$(xdotool getwindowgeometry --shell "$main")"
  xdotool mousemove --window "$main" $((WIDTH / 2)) $((HEIGHT - 40))
  sleep 0.3
done
stop

# --- an output folder that cannot be written ------------------------------------------
# A file where the folder beside the source would be made.
mkdir -p "$work/blocked"
cp "$work/sample/comdlg32.dll" "$work/blocked/"
: >"$work/blocked/Extracted Icons"
start "$(win "$work/blocked/comdlg32.dll")"
extract_button
sleep 4
check "an output folder that cannot be made brings a box" dialog_open '^Zandrel$'
shot unwritable-folder
xdotool key Escape
sleep 1
stop

# --- maximised, and maximised again at the next start, in both styles ----------------
for look in Light Dark; do
  printf '[Option]\r\nTheme%s=1\r\n' "$look" >"$app/Config/Option.ini"
  start "$(win "$work/sample/shell32.dll")"
  # The title bar's maximise button, left of the close button.
  read -r x y w < <(xwininfo -id "$main" |
    awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF} /Width:/ {w = $NF}
         END {print x, y, w}')
  xdotool mousemove "$((x + w - 27))" "$((y - 11))" click 1
  sleep 2
  eval "$(xdotool getwindowgeometry --shell "$main")"
  check "the window maximises ($look)" test "$WIDTH" -gt 1000
  stop
  start "$(win "$work/sample/shell32.dll")"
  eval "$(xdotool getwindowgeometry --shell "$main")"
  check "it starts maximised again ($look)" test "$WIDTH" -gt 1000
  shot "maximised-$(echo "$look" | tr '[:upper:]' '[:lower:]')"
  stop
done

echo "Screenshots in $out"
[ "$failed" -eq 0 ] || { echo "$failed check(s) failed"; exit 1; }
