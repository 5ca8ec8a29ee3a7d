#!/bin/sh
# One command from a fresh Debian 12 machine to every test run. Without a
# display it starts one Xvfb for the whole run, large enough for any test
# window.
set -eu
ROOT=$(CDPATH= cd -- "$(dirname -- "$0")/.." && pwd)
BUILD_DIR=${KELVARO_BUILD_DIR:-$ROOT/build}
"$ROOT/scripts/setup.sh"
cd "$BUILD_DIR"
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1920x1080x24" \
        ctest --output-on-failure -j "$(nproc)" "$@"
fi
exec ctest --output-on-failure -j "$(nproc)" "$@"
