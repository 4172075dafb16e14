#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program in the caller's
# current directory (where datos.txt is read and written).
set -euo pipefail
here="$(pwd)"
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
"$root/scripts/build.sh"
cd "$here"
exec "$root/build/ajuste" "$@"
