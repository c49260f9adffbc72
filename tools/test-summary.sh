#!/usr/bin/env bash
# Counts the GoogleTest cases of a tree's last ctest run: how many ran, passed,
# failed and were skipped, naming each skipped one with its reason.
#   tools/test-summary.sh BUILD-DIR
set -euo pipefail
log="${1:?usage: tools/test-summary.sh BUILD-DIR}/Testing/Temporary/LastTest.log"
[ -f "$log" ] || { echo "No test log in $log"; exit 0; }
awk '
  /^\[ RUN      \] / { ran++ }
  /^\[       OK \] .* \([0-9]+ ms\)$/ { passed++ }
  /^\[  FAILED  \] .* \([0-9]+ ms\)$/ { failed++ }
  # GoogleTest prints "file:line: Skipped", then the reason, then the name.
  /: Skipped$/ { reason = ""; in_reason = 1; next }
  /^\[  SKIPPED \] .* \([0-9]+ ms\)$/ {
    skipped++
    name = $0
    sub(/^\[  SKIPPED \] /, "", name)
    sub(/ \([0-9]+ ms\)$/, "", name)
    names[skipped] = name " (" reason ")"
    in_reason = 0
    next
  }
  in_reason { reason = reason (reason == "" ? "" : " ") $0 }
  END {
    printf "%d test cases ran: %d passed, %d failed, %d skipped\n", ran, passed, failed, skipped
    for (i = 1; i <= skipped; i++) print "  skipped: " names[i]
  }
' "$log"
