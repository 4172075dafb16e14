#!/usr/bin/env bash
# Builds the program and its tests with AddressSanitizer and
# UndefinedBehaviorSanitizer (clang 14, build-asan/) and runs the whole test
# suite there, headless. A failing test or any sanitizer report fails the run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"

build="$root/build-asan"
cd "$root"
cmake --preset asan >/dev/null
cmake --build --preset asan

# Every report goes to a file of its own (report.<pid>), shown at the end, so
# that none goes unseen even where a process's exit status would hide it.
reports="$build/sanitizer-reports"
rm -rf "$reports"
mkdir -p "$reports"

export QT_QPA_PLATFORM=offscreen
# Leaks are checked; the few that the font configuration library keeps for the
# life of the process are not ours and are suppressed by name (scripts/lsan.supp).
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:log_path=$reports/report"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$reports/report"

status=0
ctest --test-dir "$build" --output-on-failure --no-tests=error -j2 || status=1

if compgen -G "$reports/*" >/dev/null; then
    for report in "$reports"/*; do
        echo "==== $report"
        cat "$report"
    done
    echo "sanitizer reports: $(ls "$reports" | wc -l) (above)" >&2
    status=1
fi
exit $status
