#!/bin/sh
# Installs the Debian packages a build needs (only those missing), then
# configures and builds a Release build in build/. Sourced by play.sh and
# test.sh; safe to run on its own.
#
#   setup.sh                  everything: the game, the tests, the benchmarks,
#                             the content tools, and the test tools (GoogleTest,
#                             Google Benchmark, Xvfb, xdotool, ImageMagick)
#   setup.sh --game           only what the game needs, and only the game built
#   setup.sh --packages-only  the packages of everything, no build
#
# KELVARO_EXTRA_PACKAGES names more packages (fuzz.sh needs clang).
set -eu

ROOT=$(CDPATH= cd -- "$(dirname -- "$0")/.." && pwd)
BUILD_DIR=${KELVARO_BUILD_DIR:-$ROOT/build}
MODE=${1:-}

GAME_PACKAGES="g++ cmake pkg-config make \
  libglfw3-dev libglew-dev libassimp-dev libfreetype-dev libstb-dev libglm-dev \
  libinih-dev libbullet-dev libx11-dev libopenal-dev libsndfile1-dev libgl1-mesa-dri"
TEST_PACKAGES="libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth xdotool x11-xkb-utils imagemagick appstream"

if [ "$MODE" = "--game" ]; then
    PACKAGES="$GAME_PACKAGES ${KELVARO_EXTRA_PACKAGES:-}"
else
    PACKAGES="$GAME_PACKAGES $TEST_PACKAGES ${KELVARO_EXTRA_PACKAGES:-}"
fi

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
if [ -n "$missing" ]; then
    echo "Installing the Debian packages that are missing:$missing"
    SUDO=""
    if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi
    $SUDO apt-get update
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
fi

if [ "$MODE" = "--packages-only" ]; then
    exit 0
fi

if [ "$MODE" = "--game" ]; then
    # The game alone: no tests, benchmarks or content tools to configure or
    # build (the content they make is in res/ already).
    PARTS="-DKELVARO_BUILD_TESTS=OFF -DKELVARO_BUILD_BENCHMARKS=OFF -DKELVARO_BUILD_TOOLS=OFF"
    TARGET="--target kelvaro19"
    echo "Configuring the game's build in $BUILD_DIR"
else
    PARTS="-DKELVARO_BUILD_TESTS=ON -DKELVARO_BUILD_BENCHMARKS=ON -DKELVARO_BUILD_TOOLS=ON"
    TARGET=""
fi
# KELVARO_CMAKE_ARGS adds options after the defaults (test.sh --sanitize).
# shellcheck disable=SC2086
cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release $PARTS ${KELVARO_CMAKE_ARGS:-} >/dev/null
if [ "$MODE" = "--game" ]; then
    echo "Building the game with $(nproc) jobs (a first build takes several minutes;"
    echo "the percentage is the build's progress):"
fi
# shellcheck disable=SC2086
cmake --build "$BUILD_DIR" -j "$(nproc)" $TARGET
