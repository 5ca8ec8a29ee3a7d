#!/bin/sh
# Fuzzes every reader of outside data in turn with libFuzzer (clang,
# AddressSanitizer and UndefinedBehaviorSanitizer), SECONDS each (default 60).
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]
#
# Targets: config ring_number subdivision image level gltf model sound material
# track_list bests. The build is in build-fuzz/; inputs the fuzzer finds interesting grow in
# build-fuzz/corpus/<target>/, seeded from fuzz/corpus/<target>/ and the
# shipped files. A crash, a sanitizer report, a leak, a memory blow-up or an
# input slower than 10 s (KELVARO_FUZZ_TIMEOUT; the limit is wall time, so
# raise it on a busy machine) stops that target, leaves the input in
# build-fuzz/artifacts/ and makes the script fail. Inputs slower than 1 s are
# counted as slow. Fixed inputs belong in tests/data/fuzz/<target>/, where
# the normal test run replays them.
set -eu
ROOT=$(CDPATH= cd -- "$(dirname -- "$0")/.." && pwd)
SECONDS_EACH=${1:-60}
[ $# -gt 0 ] && shift
TARGETS=${*:-config ring_number subdivision image level gltf model sound material track_list bests font}
BUILD_DIR=${KELVARO_FUZZ_BUILD_DIR:-$ROOT/build-fuzz}

KELVARO_EXTRA_PACKAGES="clang libclang-rt-14-dev" "$ROOT/scripts/setup.sh" --packages-only
CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKELVARO_FUZZ=ON -DKELVARO_BUILD_TESTS=OFF -DKELVARO_BUILD_BENCHMARKS=OFF \
    -DKELVARO_BUILD_TOOLS=OFF ${KELVARO_CMAKE_ARGS:-} >/dev/null
build_targets=""
for t in $TARGETS; do build_targets="$build_targets fuzz_$t"; done
# shellcheck disable=SC2086
cmake --build "$BUILD_DIR" -j "$(nproc)" --target $build_targets

export ASAN_OPTIONS="detect_leaks=1"
export LSAN_OPTIONS="suppressions=$ROOT/fuzz/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

# Seeds beyond the committed ones: the shipped files each reader reads.
shipped() {
    case "$1" in
    config) echo "$ROOT/res/config" ;;
    image) echo "$ROOT/res/assets/textures/cubemaps/BSpace" ;;
    level) echo "$ROOT/res/assets/models/worlds" ;;
    model) echo "$ROOT/res/assets/models" ;;
    esac
}

# The GL-using targets need a display; start one when there is none.
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-noreset -screen 0 640x480x24" "$0" "$SECONDS_EACH" $TARGETS
fi

failed=""
summary=""
for t in $TARGETS; do
    corpus="$BUILD_DIR/corpus/$t"
    artifacts="$BUILD_DIR/artifacts/$t/"
    log="$BUILD_DIR/fuzz-$t.log"
    mkdir -p "$corpus" "$artifacts"
    seeds="$ROOT/fuzz/corpus/$t"
    [ -d "$ROOT/tests/data/fuzz/$t" ] && seeds="$seeds $ROOT/tests/data/fuzz/$t"
    extra=$(shipped "$t")
    [ -n "$extra" ] && seeds="$seeds $extra"
    # The game's stores of meshes and models only ever grow (a game loads
    # one level): targets that load levels or models run in short child
    # processes, so that their inputs do not add up to an out-of-memory.
    fork=""
    case "$t" in
    level | gltf | model) fork="-fork=1 -ignore_ooms=0 -ignore_crashes=0 -ignore_timeouts=0" ;;
    esac
    echo "== fuzz_$t for ${SECONDS_EACH} s"
    # The level and model readers look for the shipped content from the root.
    # shellcheck disable=SC2086
    if (cd "$ROOT" && "$BUILD_DIR/fuzz/fuzz_$t" "$corpus" $seeds \
        -max_total_time="$SECONDS_EACH" -timeout="${KELVARO_FUZZ_TIMEOUT:-10}" -report_slow_units=1 \
        -rss_limit_mb=3072 -max_len=65536 -close_fd_mask=1 -print_final_stats=1 $fork \
        -artifact_prefix="$artifacts") >"$log" 2>&1; then
        status=ok
    else
        status=FAILED
        failed="$failed $t"
        tail -n 40 "$log"
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
    if [ -n "$fork" ]; then # the parent's progress lines: "#RUNS: cov: ... exec/s RATE ..."
        runs=$(sed -n 's/^#\([0-9]*\): cov:.*/\1/p' "$log" | tail -n 1)
        rate=$(sed -n 's/^#[0-9]*: cov:.* exec\/s \([0-9]*\).*/\1/p' "$log" | tail -n 1)
    fi
    slow=$(grep -c "Slowest unit" "$log" || true)
    line="fuzz_$t: $status, ${runs:-?} runs, ${rate:-?}/s, $slow slow inputs (>1 s), corpus $(ls "$corpus" | wc -l)"
    echo "$line"
    summary="$summary
$line"
done
echo "$summary"
if [ -n "$failed" ]; then
    echo "Failed:$failed (inputs in $BUILD_DIR/artifacts/)"
    exit 1
fi
