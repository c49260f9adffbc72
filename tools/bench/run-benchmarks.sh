#!/usr/bin/env bash
# Builds and runs the benchmark programs and prints their figures: listing
# (portable reader and main window), and "extract all" next to the time
# wrestool takes to extract the same groups. Run after ./test.sh has prepared
# the machine.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
cmake --preset bench >/dev/null
cmake --build --preset bench --target reader_bench hostile_bench search_bench zandrel-cli >/dev/null
source tools/setup-machine.sh
zandrel_setup_machine icoextract time
# The main window's figures come from the tree this machine runs.
zandrel_choose_windows_tree
cmake --preset "$zandrel_tree" >/dev/null
cmake --build --preset "$zandrel_tree" --target listing_bench extract_bench language_bench \
  hostile_window_bench search_window_bench zandrel-cli wineprefix >/dev/null

echo "== portable reader (host build, optimised)"
build/bench/tools/reader_bench
echo "== crafted hostile modules next to real ones (host build, optimised)"
build/bench/tools/hostile_bench

echo "== the icon search's folder scan beside a loop of wrestool -l -t14 over the same files (host)"
wine_i386=/usr/lib/i386-linux-gnu/wine/i386-windows
wine_x86_64=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
build/bench/tools/search_bench "$wine_i386"
searched=$(find "$wine_i386" -maxdepth 1 -type f | grep -iE '\.(exe|dll|mun|cpl|ocx|scr|icl|ico|cur|ani)$')
start=$(date +%s%N)
while read -r file; do wrestool -l -t14 "$file" >/dev/null 2>&1 || true; done <<<"$searched"
end=$(date +%s%N)
echo "wrestool -l -t14 over the same $(wc -l <<<"$searched") files: $(( (end - start) / 1000000 )) ms" \
  "(goal: the scan within a tenth of it)"
echo "both Wine folders in one scan (peak memory):"
build/bench/tools/search_bench "$wine_i386" "$wine_x86_64"

build="$root/build/$zandrel_tree"
session="$root/cmake/wine-session.sh"
sh "$session" "$build/wine-run.sh" "$build/wineprefix" "$build/xvfb.display" start
trap 'sh "$session" "$build/wine-run.sh" "$build/wineprefix" "$build/xvfb.display" stop' EXIT
work="$build/bench"
rm -rf "$work" && mkdir -p "$work"

# Milliseconds of the best of three runs of a command writing into $out. Its
# output goes to a file: Wine takes /dev/null for a console and writes each
# line there at a cost of milliseconds (seconds for a module of thousands of
# failing groups).
best_ms() {
  local out=$1 best=""
  shift
  for _ in 1 2 3; do
    rm -rf "$out" && mkdir -p "$out"
    local start end ms
    start=$(date +%s%N)
    "$@" >"$work/best_ms.out" 2>&1 || true
    end=$(date +%s%N)
    ms=$(( (end - start) / 1000000 ))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  echo "$best"
}

echo "== listing through the main window ($zandrel_tree, under Wine)"
listing=$("$build/wine-run.sh" "$build/tools/listing_bench.exe")
echo "$listing"
echo "== extract all through the main window ($zandrel_tree, under Wine)"
extracting=$("$build/wine-run.sh" "$build/tools/extract_bench.exe" "Z:$work")
echo "$extracting"

echo "== crafted hostile modules through the main window, beside zandrel-cli on the same file ($zandrel_tree, under Wine)"
hostile="$work/hostile"
for name in $("$build/wine-run.sh" "$build/tools/hostile_window_bench.exe" | tr -d '\r'); do
  rm -rf "$hostile" && mkdir -p "$hostile"
  "$build/wine-run.sh" "$build/tools/hostile_window_bench.exe" "$name" "Z:$hostile"
  file=$(ls "$hostile/$name".* | head -n 1)
  cli_ms=$(best_ms "$hostile/cli" "$build/wine-run.sh" "$build/zandrel-cli.exe" extract \
    "Z:$file" -o "Z:$hostile/cli")
  echo "  zandrel-cli extract under Wine, same file: $cli_ms ms"
done

echo "== the search window over Wine's module folders, from the click to the last row ($zandrel_tree, under Wine)"
for folder in /usr/lib/i386-linux-gnu/wine/i386-windows /usr/lib/x86_64-linux-gnu/wine/x86_64-windows; do
  "$build/wine-run.sh" "$build/tools/search_window_bench.exe" "Z:${folder//\//\\}"
done

echo "== languages: one Globload over the three windows, and the cleanup (under Wine)"
"$build/wine-run.sh" "$build/tools/language_bench.exe" "Z:$build/Language"

echo "== wrestool -x -t14 on the same modules (host)"
time_it() {
  local what=$1 module=$2 out=$3 best=""
  for _ in 1 2 3; do
    rm -rf "$out" && mkdir -p "$out"
    local start end ms
    start=$(date +%s%N)
    wrestool -x -t14 -o "$out" "$module" 2>/dev/null
    end=$(date +%s%N)
    ms=$(( (end - start) / 1000000 ))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  printf "%-44s files %5d   best %8d ms   (3 runs)\n" "$what" "$(ls "$out" | wc -l)" "$best"
}
time_it "2,000-group fixture (wrestool -x -t14)" "$work/groups2000.dll" "$work/wrestool-fixture"
time_it "Wine shell32.dll, 32-bit (wrestool -x -t14)" \
  /usr/lib/i386-linux-gnu/wine/i386-windows/shell32.dll "$work/wrestool-shell32"

echo "== the main window beside native tools on the same modules (best runs, this machine)"
shell32=/usr/lib/i386-linux-gnu/wine/i386-windows/shell32.dll
# The best time a benchmark line reports for one of its cases.
best_of() { echo "$1" | awk -v what="$2" 'index($0, what) == 1 { for (i = 1; i <= NF; i++) if ($i == "best") print $(i + 1) }'; }
list_native() { best_ms "$work/list" sh -c "wrestool -l -t14 '$1' >/dev/null"; }
extract_native() { best_ms "$work/wres" wrestool -x -t14 -o "$work/wres" "$1"; }
row() {  # what, ours, reference text, reference ms, goal
  printf "%-46s %9.1f ms   %-28s %7d ms   ratio %5.2fx   goal %s\n" "$1" "$2" "$3" "$4" \
    "$(awk -v a="$2" -v b="$4" 'BEGIN { if (b == 0) b = 1; print a / b }')" "$5"
}
row "extract all, shell32.dll 32-bit" "$(best_of "$extracting" "Wine shell32.dll, 32-bit")" \
  "wrestool -x -t14" "$(extract_native "$shell32")" "<= 1.0x"
row "extract all, 2,000-group fixture" "$(best_of "$extracting" "2,000-group fixture")" \
  "wrestool -x -t14" "$(extract_native "$work/groups2000.dll")" "(no goal)"
row "listing with previews, 2,000-group fixture" "$(best_of "$listing" "2,000-group fixture")" \
  "wrestool -l -t14" "$(list_native "$work/groups2000.dll")" "<= 2000 ms"
row "listing with previews, shell32.dll 32-bit" "$(best_of "$listing" "Wine shell32.dll, 32-bit")" \
  "wrestool -l -t14" "$(list_native "$shell32")" "<= 300 ms"

echo "== zandrel-cli extract next to wrestool -x -t14 and icoextract (host; best of 3, peak memory)"
peak_kb() {
  local out=$1
  shift
  rm -rf "$out" && mkdir -p "$out"
  # A run that fails some groups (a crafted file) still has a peak to report.
  { /usr/bin/time -v "$@" 2>&1 >/dev/null || true; } |
    awk -F: '/Maximum resident set size/ {gsub(/ /, "", $2); print $2}'
}
cli="$root/build/bench/zandrel-cli"
for entry in "shell32.dll, 32-bit:/usr/lib/i386-linux-gnu/wine/i386-windows/shell32.dll" \
             "shell32.dll, 64-bit:/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/shell32.dll" \
             "2,000-group fixture:$work/groups2000.dll"; do
  what=${entry%%:*}
  module=${entry#*:}
  [ -f "$module" ] || { echo "$what: missing $module"; continue; }
  ours=$(best_ms "$work/cli" "$cli" extract "$module" -o "$work/cli")
  ours_files=$(ls "$work/cli" | wc -l)
  ours_kb=$(peak_kb "$work/cli" "$cli" extract "$module" -o "$work/cli")
  wres=$(best_ms "$work/wres" wrestool -x -t14 -o "$work/wres" "$module")
  wres_kb=$(peak_kb "$work/wres" wrestool -x -t14 -o "$work/wres" "$module")
  ico=$(best_ms "$work/ico" sh -c "cd '$work/ico' && icoextract '$module' first.ico")
  ico_kb=$(peak_kb "$work/ico" icoextract "$module" "$work/ico/first.ico")
  printf "%-24s zandrel-cli %6d ms %7d KB (%d files) | wrestool %6d ms %7d KB | icoextract (first icon) %6d ms %7d KB | wrestool/cli %s\n" \
    "$what" "$ours" "$ours_kb" "$ours_files" "$wres" "$wres_kb" "$ico" "$ico_kb" \
    "$(awk -v a="$wres" -v b="$ours" 'BEGIN { if (b == 0) b = 1; printf "%.1fx", a / b }')"
done

echo "== zandrel-cli on crafted containers of the other formats (host; best of 3, peak memory)"
containers="$work/containers"
rm -rf "$containers" && mkdir -p "$containers"
build/bench/tools/hostile_bench --write-containers "$containers"
for module in "$containers"/*; do
  list_ms=$(best_ms "$work/cli" sh -c "'$cli' list '$module' >/dev/null")
  list_kb=$(peak_kb "$work/cli" "$cli" list "$module")
  rows=$({ "$cli" list "$module" 2>/dev/null || true; } | wc -l)
  ms=$(best_ms "$work/cli" "$cli" extract "$module" -o "$work/cli")
  kb=$(peak_kb "$work/cli" "$cli" extract "$module" -o "$work/cli")
  printf "%-34s %7d KB   list %6d ms %7d KB (%d rows)   extract %6d ms %7d KB (%d files)\n" \
    "$(basename "$module")" "$(( $(stat -c %s "$module") / 1024 ))" "$list_ms" "$list_kb" "$rows" \
    "$ms" "$kb" "$(ls "$work/cli" | wc -l)"
done

echo "== zandrel-cli extract on a module far larger than its groups (host; peak memory)"
# Memory follows the largest group, not the module: a 512 MB module holding
# eight groups of about 260 KB.
large="$work/large.dll"
"$root/build/bench/tools/reader_bench" --write-large "$large" 512
small="$work/small.dll"
"$root/build/bench/tools/reader_bench" --write-large "$small" 1
for entry in "512 MB module:$large" "the same groups, 1 MB module:$small"; do
  what=${entry%%:*}
  module=${entry#*:}
  ms=$(best_ms "$work/cli" "$cli" extract "$module" -o "$work/cli")
  kb=$(peak_kb "$work/cli" "$cli" extract "$module" -o "$work/cli")
  printf "%-32s module %8d KB   zandrel-cli %6d ms  peak %7d KB  (%d files)\n" \
    "$what" "$(( $(stat -c %s "$module") / 1024 ))" "$ms" "$kb" "$(ls "$work/cli" | wc -l)"
done
rm -f "$large" "$small"
