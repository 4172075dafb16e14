#!/usr/bin/env bash
# Renders the README's pictures of the window after a fit: docs/chart-view.png
# at scale 1 and docs/chart-view@2x.png at scale 2 (QT_SCALE_FACTOR=2).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
cd "$root"
cmake --preset release >/dev/null
cmake --build --preset release --target ajuste_screenshot
export QT_QPA_PLATFORM=offscreen
"$root/build/tools/ajuste_screenshot" "$root/docs/chart-view.png"
QT_SCALE_FACTOR=2 "$root/build/tools/ajuste_screenshot" "$root/docs/chart-view@2x.png"
echo "wrote docs/chart-view.png and docs/chart-view@2x.png"
