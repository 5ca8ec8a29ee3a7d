#!/bin/sh
# One command from a fresh Debian 12 machine to a running game: installs only
# the packages the game needs and builds only the game (scripts/test.sh adds
# the test tools and builds everything). Arguments go to the game: a level
# file to play, --check LEVEL, --help.
set -eu
ROOT=$(CDPATH= cd -- "$(dirname -- "$0")/.." && pwd)
HERE=$(pwd)
"$ROOT/scripts/setup.sh" --game
# The game reads res/ relative to its working folder, the repository root; a
# level path typed relative to the caller's folder is made absolute first.
for arg do
    shift
    case "$arg" in
    -* | /*) ;;
    *) arg="$HERE/$arg" ;;
    esac
    set -- "$@" "$arg"
done
cd "$ROOT"
echo "Starting the game"
exec "${KELVARO_BUILD_DIR:-$ROOT/build}/kelvaro19" "$@"
