#!/usr/bin/env bash
# Installs what building, testing, packaging and running Halvoren need on Debian 12.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends \
    cmake ninja-build g++ qt6-base-dev qt6-serialport-dev qt6-multimedia-dev \
    qt6-qpa-plugins xvfb xauth xdotool openbox fonts-liberation2 fonts-wine poppler-utils \
    clang libclang-rt-14-dev clang-format qt6-base-private-dev \
    at-spi2-core python3-pyatspi \
    dpkg-dev file lintian desktop-file-utils appstream x11-utils
