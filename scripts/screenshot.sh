#!/usr/bin/env bash
# Renders the documents' pictures of the window after a fit: docs/chart-view.png
# at scale 1 and docs/chart-view@2x.png at scale 2 (QT_SCALE_FACTOR=2), of
# the fit report opened there: docs/informe.png and docs/informe@2x.png, of
# the error map after the same fit: docs/error-map.png and docs/error-map@2x.png,
# of the map with its race of methods: docs/error-map-carrera.png and
# docs/error-map-carrera@2x.png, and the report's PDF as a picture of its page:
# docs/informe-pdf.png. The windows open on a screen of 1600 x 1000 pixels at
# either scale, so that the report opens at its own size.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
cd "$root"
cmake --preset release >/dev/null
cmake --build --preset release --target ajuste_screenshot
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
screen() { # the screen's size in device pixels
    echo "{\"screens\": [{\"name\": \"docs\", \"x\": 0, \"y\": 0, \"width\": $1, \"height\": $2," \
        "\"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}" >"$work/screen-$1.json"
    echo "offscreen:configfile=$work/screen-$1.json"
}
QT_QPA_PLATFORM="$(screen 1600 1000)" "$root/build/tools/ajuste_screenshot" \
    "$root/docs/chart-view.png" "$root/docs/informe.png" "$root/docs/error-map.png" \
    "$root/docs/error-map-carrera.png" "$work/informe.pdf"
QT_QPA_PLATFORM="$(screen 3200 2000)" QT_SCALE_FACTOR=2 "$root/build/tools/ajuste_screenshot" \
    "$root/docs/chart-view@2x.png" "$root/docs/informe@2x.png" "$root/docs/error-map@2x.png" \
    "$root/docs/error-map-carrera@2x.png"
pdftoppm -png -r 110 -singlefile "$work/informe.pdf" "$root/docs/informe-pdf"
echo "wrote docs/chart-view.png, docs/informe.png, docs/error-map.png," \
    "docs/error-map-carrera.png and their @2x versions, and docs/informe-pdf.png"
