#!/usr/bin/env bash
# Formats every C++ file of the tree with .clang-format (clang-format 14).
#   scripts/format.sh           rewrites the files in place
#   scripts/format.sh --check   changes nothing; fails naming each file that is not formatted
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
if [ "${1:-}" = "--check" ]; then
    clang-format-14 --dry-run -Werror "${files[@]}"
else
    clang-format-14 -i "${files[@]}"
fi
