#!/usr/bin/env bash
# Installs what is missing, builds Release, runs the benchmarks and reports the
# resident memory of the running program after start-up.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
"$root/scripts/build.sh"
QT_QPA_PLATFORM=offscreen "$root/build/bench/bench_ajuste" "$@"

# The program itself, started and left running for two seconds.
report=$(mktemp)
QT_QPA_PLATFORM=offscreen /usr/bin/time -v -o "$report" \
    timeout --preserve-status -s INT 2 "$root/build/ajuste" >/dev/null 2>&1 || true
echo "ajuste after start-up: $(grep 'Maximum resident' "$report" | sed 's/.*: //') kB maximum resident"
rm -f "$report"
