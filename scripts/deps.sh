#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need.
# Checks first, so a machine that has them all needs neither root nor network.
set -euo pipefail

packages=(
    cmake g++ make
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
    # Qt's own texts in Spanish: the file dialog, its question and its buttons.
    qt6-translations-l10n
    libbenchmark-dev
    libeigen3-dev libboost-math-dev qt6-svg-dev
    dpkg-dev appstream
    clang-14 libclang-rt-14-dev clang-format-14
    # The sanitizer build links its forty executables with lld, three times faster than ld.bfd.
    lld-14
    fonts-liberation fonts-dejavu-core
    xvfb xauth imagemagick time desktop-file-utils
    dbus at-spi2-core python3-pyatspi lintian
    # Looking at pastes and saved pictures by hand under Xvfb.
    xclip librsvg2-bin
    # Reading the report's PDF back in the tests (pdftotext, pdfinfo, pdfimages)
    # and drawing its page for the manual (pdftoppm).
    poppler-utils
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
