#!/bin/sh
# One command from a fresh Debian 12 machine to every test run. Without a
# display it starts one Xvfb for the whole run, large enough for any test
# window.
#
#   scripts/test.sh [CTEST ARGS]             the Release build in build/
#   scripts/test.sh --sanitize [CTEST ARGS]  AddressSanitizer (leak detection on)
#                                            and UndefinedBehaviorSanitizer, in
#                                            build-sanitize/
set -eu
ROOT=$(CDPATH= cd -- "$(dirname -- "$0")/.." && pwd)
if [ "${1:-}" = "--sanitize" ]; then
    shift
    BUILD_DIR=${KELVARO_SANITIZE_BUILD_DIR:-$ROOT/build-sanitize}
    KELVARO_CMAKE_ARGS="-DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVARO_SANITIZE=ON \
-DKELVARO_BUILD_BENCHMARKS=OFF ${KELVARO_CMAKE_ARGS:-}"
    export KELVARO_CMAKE_ARGS
    # Leaks are looked for in every process, the game too; only the graphics
    # driver's own are suppressed (see the file for why). UBSan stops at its
    # first finding, so the test that hit it fails.
    export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1:check_initialization_order=1"
    export LSAN_OPTIONS="suppressions=$ROOT/tests/sanitizers/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
else
    BUILD_DIR=${KELVARO_BUILD_DIR:-$ROOT/build}
fi
KELVARO_BUILD_DIR=$BUILD_DIR "$ROOT/scripts/setup.sh"
cd "$BUILD_DIR"
if [ -z "${DISPLAY:-}" ]; then
    # -noreset: an X server resets when its last client leaves, and refuses
    # the connections that arrive meanwhile ("Failed to open display"); one
    # test's game closing would then now and then fail the next one's start.
    exec xvfb-run -a -s "-noreset -screen 0 1920x1080x24" \
        ctest --output-on-failure -j "$(nproc)" "$@"
fi
exec ctest --output-on-failure -j "$(nproc)" "$@"
