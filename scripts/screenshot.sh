#!/usr/bin/env bash
# Renders the README's pictures of the window after a fit: docs/chart-view.png
# at scale 1 and docs/chart-view@2x.png at scale 2 (QT_SCALE_FACTOR=2), and
# the error map after the same fit: docs/error-map.png and docs/error-map@2x.png.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
cd "$root"
cmake --preset release >/dev/null
cmake --build --preset release --target ajuste_screenshot ajuste_map_screenshot
export QT_QPA_PLATFORM=offscreen
"$root/build/tools/ajuste_screenshot" "$root/docs/chart-view.png"
QT_SCALE_FACTOR=2 "$root/build/tools/ajuste_screenshot" "$root/docs/chart-view@2x.png"
"$root/build/tools/ajuste_map_screenshot" "$root/docs/error-map.png"
QT_SCALE_FACTOR=2 "$root/build/tools/ajuste_map_screenshot" "$root/docs/error-map@2x.png"
echo "wrote docs/chart-view.png, docs/chart-view@2x.png, docs/error-map.png and docs/error-map@2x.png"
