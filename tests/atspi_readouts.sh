#!/usr/bin/env bash
# Runs the program on its own Xvfb display with a private D-Bus session and
# AT-SPI bus, and lets atspi_readouts.py read it as a screen reader would.
#   atspi_readouts.sh <program>
set -eu
here=$(cd "$(dirname "$0")" && pwd)
program=$(realpath "$1")
for tool in dbus-run-session dbus-send Xvfb; do
    command -v "$tool" >/dev/null || { echo "$tool not found: scripts/deps.sh installs it"; exit 1; }
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null \
    || { echo "python3-pyatspi not found: scripts/deps.sh installs it"; exit 1; }

exec dbus-run-session -- bash -s "$here" "$program" <<'INNER'
set -eu
here=$1 program=$2
work=$(mktemp -d) app= xvfb=
trap 'kill $app $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
# Xvfb picks a free display and writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
# Asking the session bus for the accessibility bus starts it.
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null
# The empty folder holds no datos.txt; the C locale writes points as "0.4".
LC_ALL=C.UTF-8 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb "$program" "$work" \
    >"$work/program.log" 2>&1 & app=$!
/usr/bin/python3 "$here/atspi_readouts.py" "$app" || { cat "$work/program.log"; exit 1; }
INNER
