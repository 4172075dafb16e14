#!/usr/bin/env bash
# Builds the Debian package ajuste_<version>_<arch>.deb in build-package/ from
# a Release build of the program alone, and prints its path.
#   sudo apt-get install ./build-package/ajuste_*.deb    installs it
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"

build="$root/build-package"
# Nothing but the program goes into the package, so nothing else is built:
# with the install rule's dependency on "all" skipped, cpack builds no tests.
cd "$root"
cmake --preset package >/dev/null
cmake --build --preset package
rm -f "$build"/ajuste_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/ajuste_*.deb
