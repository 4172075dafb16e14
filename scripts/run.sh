#!/usr/bin/env bash
# Installs what is missing, builds the program alone (not the tests, benchmarks
# or tools: the window comes up sooner), and starts it in the caller's current
# directory, where datos.txt is read and written. Arguments go to the program:
#   scripts/run.sh --help
set -euo pipefail
here="$(pwd)"
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
cd "$root"
cmake --preset release >/dev/null
cmake --build --preset release --target ajuste
cd "$here"
exec "$root/build/ajuste" "$@"
