#!/usr/bin/env bash
# Renders the documents' pictures of the window after a fit: docs/chart-view.png
# at scale 1 and docs/chart-view@2x.png at scale 2 (QT_SCALE_FACTOR=2), of
# the fit report opened there: docs/informe.png and docs/informe@2x.png, of
# the error map after the same fit: docs/error-map.png and docs/error-map@2x.png,
# and of the map with its race of methods: docs/error-map-carrera.png and
# docs/error-map-carrera@2x.png.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
cd "$root"
cmake --preset release >/dev/null
cmake --build --preset release --target ajuste_screenshot
export QT_QPA_PLATFORM=offscreen
"$root/build/tools/ajuste_screenshot" "$root/docs/chart-view.png" "$root/docs/informe.png" \
    "$root/docs/error-map.png" "$root/docs/error-map-carrera.png"
QT_SCALE_FACTOR=2 "$root/build/tools/ajuste_screenshot" "$root/docs/chart-view@2x.png" \
    "$root/docs/informe@2x.png" "$root/docs/error-map@2x.png" "$root/docs/error-map-carrera@2x.png"
echo "wrote docs/chart-view.png, docs/informe.png, docs/error-map.png," \
    "docs/error-map-carrera.png and their @2x versions"
