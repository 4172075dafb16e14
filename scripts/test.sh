#!/usr/bin/env bash
# Installs what is missing, checks that every C++ file is formatted, builds, and
# runs every test headless through CTest: first under AddressSanitizer and
# UndefinedBehaviorSanitizer with short bounded fuzz runs, then the Release
# build, whose CTest summary closes the output.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
scripts/deps.sh
scripts/format.sh --check
scripts/build.sh
scripts/sanitize.sh
scripts/fuzz.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure --no-tests=error -j2
