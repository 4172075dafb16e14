#!/usr/bin/env bash
# Renders docs/chart-view.png, the README's picture of the window after a fit.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
"$root/scripts/build.sh"
QT_QPA_PLATFORM=offscreen "$root/build/tools/ajuste_screenshot" "$root/docs/chart-view.png"
echo "wrote docs/chart-view.png"
