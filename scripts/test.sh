#!/usr/bin/env bash
# Installs what is missing, checks that every C++ file is formatted, builds, and
# runs every test headless through CTest: first under AddressSanitizer and
# UndefinedBehaviorSanitizer with short bounded fuzz runs (one clang build holds
# both), then the Release build. The seconds of each stage come last but one;
# the Release build's CTest summary closes the output.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

stages=()
stage() {
    local name="$1"
    shift
    local start=$SECONDS
    "$@"
    stages+=("$(printf '%-22s %4d s' "$name" $((SECONDS - start)))")
}

stage "packages" scripts/deps.sh
stage "format" scripts/format.sh --check
stage "build (Release)" scripts/build.sh
stage "sanitizers" scripts/sanitize.sh
stage "fuzzers" scripts/fuzz.sh

# The Release tests run last; their summary is held back until the stage times
# are printed, so that it still closes the output.
export QT_QPA_PLATFORM=offscreen
summary="$(mktemp)"
trap 'rm -f "$summary"' EXIT
start=$SECONDS
status=0
ctest --test-dir build --output-on-failure --no-tests=error -j2 >"$summary" 2>&1 || status=$?
stages+=("$(printf '%-22s %4d s' "tests (Release)" $((SECONDS - start)))")

closing="$(grep -n -m1 -E '^[0-9]+% tests passed' "$summary" | cut -d: -f1 || true)"
if [ -n "$closing" ]; then
    head -n $((closing - 1)) "$summary"
else
    cat "$summary"
fi
echo
echo "Seconds of each stage:"
printf '  %s\n' "${stages[@]}"
printf '  %-22s %4d s\n' "all" "$SECONDS"
echo
[ -n "$closing" ] && tail -n +"$closing" "$summary"
exit $status
