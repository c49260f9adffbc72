#!/usr/bin/env bash
# Runs every fuzz target (or only the TARGETs named) for SECONDS each, after
# replaying the regression inputs, and fails on any finding (a crash, a
# sanitizer report, a time-out or running out of memory):
#   tools/fuzz/run.sh SECONDS [TARGET...]
# Prints executions, executions per second and coverage per target. The
# corpora grow in build/fuzz/work/corpus/ from run to run; findings land in
# build/fuzz/work/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:?usage: tools/fuzz/run.sh SECONDS [TARGET...]}
shift
only=("$@")
root=$PWD

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)" >/dev/null
bin="$root/build/fuzz/tools/fuzz"
work="$root/build/fuzz/work"
rm -rf "$work/seeds" "$work/regressions"
mkdir -p "$work/corpus" "$work/artifacts"
"$bin/fuzz_seeds" "$work"

# Real modules nobody here wrote, and the program's own window definitions.
wine32=/usr/lib/i386-linux-gnu/wine/i386-windows
wine64=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
for m in "$wine32/notepad.exe" "$wine32/winecfg.exe" "$wine32/regedit.exe" "$wine64/notepad.exe"; do
  [ -f "$m" ] && cp "$m" "$work/seeds/pe_reader/wine-$(basename "$(dirname "$m")")-$(basename "$m")"
done
cp resources/forms/*.form "$work/seeds/definitions/"

limits=(-timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=2048)
failed=0
summary=()
for target_bin in "$bin"/fuzz_*; do
  target=$(basename "$target_bin")
  target=${target#fuzz_}
  [ "$target" = seeds ] && continue
  if [ ${#only[@]} -gt 0 ] && [[ " ${only[*]} " != *" $target "* ]]; then
    continue
  fi
  log="$work/$target.log"
  if [ -d "$work/regressions/$target" ]; then
    if ! "$target_bin" "${limits[@]}" "$work/regressions/$target"/* >"$log.replay" 2>&1; then
      echo "REGRESSION: $target (see $log.replay)"
      tail -20 "$log.replay"
      failed=1
    fi
  fi
  dict=()
  [ -f "tools/fuzz/dict/$target.dict" ] && dict=(-dict="tools/fuzz/dict/$target.dict")
  max_len=()
  [ "$target" = pe_reader ] && max_len=(-max_len=131072)
  mkdir -p "$work/corpus/$target" "$work/artifacts/$target"
  if ! "$target_bin" "${limits[@]}" "${dict[@]}" "${max_len[@]}" -max_total_time="$seconds" \
      -print_final_stats=1 -artifact_prefix="$work/artifacts/$target/" \
      "$work/corpus/$target" "$work/seeds/$target" >"$log" 2>&1; then
    echo "FINDING: $target (see $log)"
    grep -E "ERROR|SUMMARY|timeout|out-of-memory|Test unit written" "$log" | head -10
    failed=1
  fi
  runs=$(awk '/stat::number_of_executed_units:/ {print $2}' "$log")
  speed=$(awk '/stat::average_exec_per_sec:/ {print $2}' "$log")
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | awk '{print $2}')
  summary+=("$(printf '%-14s executions %10s   per second %7s   coverage %6s' "$target" "${runs:-?}" "${speed:-?}" "${cov:-?}")")
done
printf '%s\n' "${summary[@]}"
exit $failed
