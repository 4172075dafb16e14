#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ in the sanitizer build (clang,
# build-asan/, shared with scripts/sanitize.sh) and runs each
# for a bounded time (FUZZ_SECONDS, 30 by default) from a copy of its seed
# corpus, so the committed corpus never grows. Any crash, sanitizer report or
# broken property fails the run; the input that caused it is kept in
# build-asan/findings/ and its path is printed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"

seconds="${FUZZ_SECONDS:-30}"
build="$root/build-asan"
targets=(fuzz_number_text fuzz_datafile fuzz_paste)

cd "$root"
cmake --preset asan >/dev/null
cmake --build --preset fuzz

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$build/findings"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:symbolize=1"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# The targets run side by side, one process each, so the fuzzing stage takes
# FUZZ_SECONDS however many targets there are; each logs to a file of its own.
run_target() {
    local target="$1"
    cp -r "$root/fuzz/corpus/$target" "$work/$target"
    rm -f "$build/findings/$target-"*
    local options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
                   -artifact_prefix="$build/findings/$target-")
    [ -f "$root/fuzz/$target.dict" ] && options+=(-dict="$root/fuzz/$target.dict")
    # Run from the scratch directory: nothing the target writes lands in the tree.
    (cd "$work" && "$build/fuzz/$target" "${options[@]}" "$work/$target" >"$work/$target.log" 2>&1)
}

declare -A pids
for target in "${targets[@]}"; do
    run_target "$target" &
    pids[$target]=$!
done

status=0
for target in "${targets[@]}"; do
    echo "== $target: ${seconds} s"
    if wait "${pids[$target]}"; then
        grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units)' "$work/$target.log" || true
        echo "== $target passed"
    else
        tail -n 60 "$work/$target.log"
        echo "== $target FAILED; the input is kept in:" >&2
        ls "$build/findings/$target-"* >&2 2>/dev/null || echo "   (none written)" >&2
        echo "   reproduce with: $build/fuzz/$target <input>" >&2
        status=1
    fi
done
exit $status
