#!/bin/sh
# Installs the Debian packages the game needs (only those missing), then
# configures and builds a Release build in build/. Sourced by play.sh and
# test.sh; safe to run on its own. With --packages-only it stops after the
# packages; KELVARO_EXTRA_PACKAGES names more (fuzz.sh needs clang).
set -eu

ROOT=$(CDPATH= cd -- "$(dirname -- "$0")/.." && pwd)
BUILD_DIR=${KELVARO_BUILD_DIR:-$ROOT/build}

PACKAGES="g++ cmake pkg-config make libgtest-dev libgmock-dev \
  libglfw3-dev libglew-dev libassimp-dev libfreetype-dev libstb-dev libglm-dev \
  libinih-dev libbullet-dev libbenchmark-dev libx11-dev libopenal-dev libsndfile1-dev \
  xvfb xauth libgl1-mesa-dri xdotool imagemagick appstream ${KELVARO_EXTRA_PACKAGES:-}"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
if [ -n "$missing" ]; then
    echo "Installing:$missing"
    SUDO=""
    if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi
    $SUDO apt-get update
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
fi

if [ "${1:-}" = "--packages-only" ]; then
    exit 0
fi

# KELVARO_CMAKE_ARGS adds options after the defaults (test.sh --sanitize).
# shellcheck disable=SC2086
cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release ${KELVARO_CMAKE_ARGS:-} >/dev/null
cmake --build "$BUILD_DIR" -j "$(nproc)"
