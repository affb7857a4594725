#!/usr/bin/env bash
# Installs every Debian 12 package the project needs to build, run, test and benchmark.
set -euo pipefail
packages=(
    build-essential cmake ninja-build clang-format clang libclang-rt-14-dev
    qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite qt6-charts-dev
    qt6-datavisualization-dev qt6-declarative-dev qt6-svg-dev libqt6svg6 libgl-dev qt6-wayland
    libsqlite3-dev sqlite3 libbenchmark-dev libxcb1-dev libxcb-xfixes0-dev qt6-base-private-dev pkg-config
    xvfb xauth trayer xdotool x11-utils imagemagick iproute2 procps psmisc python3 e2fsprogs desktop-file-utils
    xfce4-panel xfwm4 dbus python3-dbus dbus-daemon dbus-bin dunst valgrind strace tzdata
    lintian appstream at-spi2-core python3-pyatspi
    qt6-tools-dev qt6-l10n-tools qt6-translations-l10n locales-all
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO=sudo
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq "${missing[@]}"
fi
