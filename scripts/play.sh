#!/bin/sh
# One command from a fresh Debian 12 machine to a running game.
set -eu
ROOT=$(CDPATH= cd -- "$(dirname -- "$0")/.." && pwd)
"$ROOT/scripts/setup.sh"
cd "$ROOT" # the game reads res/ relative to its working folder
exec "${KELVARO_BUILD_DIR:-$ROOT/build}/kelvaro19"
