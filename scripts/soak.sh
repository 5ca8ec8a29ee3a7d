#!/bin/sh
# Plays the shipped level for MINUTES (default 30) under random keys: flight
# (W A S D Q E and the arrows), P, F4 to F10, and F9 with mouse drags of the
# free camera. A game that ends (game over, track finished) stays on its end
# screen for a while under the same keys, then is closed and started again.
# The game's resident size is written every 15 s to build/soak/rss.tsv
# (seconds into the run, pid, kB), its memory map to build/soak/smaps/. The run fails when a game grows by more
# than 1 MB during the second half of the run (not counting each game's first
# 30 s, when levels of detail and driver caches are made for the first time).
#
#   scripts/soak.sh [MINUTES]
#
# KELVARO_SOAK_INI replaces the small-window settings it plays with
# (640x360, 5 glow passes, 30 fps), e.g. to soak the shipped settings.
set -eu
ROOT=$(CDPATH= cd -- "$(dirname -- "$0")/.." && pwd)
MINUTES=${1:-30}
BUILD_DIR=${KELVARO_BUILD_DIR:-$ROOT/build}
OUT=$BUILD_DIR/soak

# A display of its own, so that nothing else sends the game keys or closes
# its window (KELVARO_SOAK_DISPLAY=:N to watch it on another).
if [ -n "${KELVARO_SOAK_DISPLAY:-}" ]; then
    DISPLAY=$KELVARO_SOAK_DISPLAY
    export DISPLAY
elif [ -z "${KELVARO_SOAK_OWN_DISPLAY:-}" ]; then
    KELVARO_SOAK_OWN_DISPLAY=1 exec xvfb-run -a -s "-noreset -screen 0 1920x1080x24" "$0" "$@"
fi
if [ ! -x "$BUILD_DIR/kelvaro19" ]; then
    "$ROOT/scripts/setup.sh"
fi

# A game folder of its own: the shipped content and a settings file.
rm -rf "$OUT"
mkdir -p "$OUT/game/res/config" "$OUT/smaps"
for part in assets shaders; do ln -s "$ROOT/res/$part" "$OUT/game/res/$part"; done
if [ -n "${KELVARO_SOAK_INI:-}" ]; then
    cp "$KELVARO_SOAK_INI" "$OUT/game/res/config/Kelvaro.ini"
else
    printf '[GRAPHICS]\nMAX_FPS = 30\nWINDOW_WIDTH = 640\nWINDOW_HEIGHT = 360\nBLUR_ITERATIONS = 5\n' \
        >"$OUT/game/res/config/Kelvaro.ini"
fi

RSS=$OUT/rss.tsv
printf 'seconds\tpid\trss_kb\n' >"$RSS"
START=$(date +%s)
END=$((START + MINUTES * 60))
GAME_PID=""
cleanup() {
    [ -n "$GAME_PID" ] && kill "$GAME_PID" 2>/dev/null || true
    [ -n "${SAMPLER_PID:-}" ] && kill "$SAMPLER_PID" 2>/dev/null || true
}
trap cleanup EXIT INT TERM

# The sampler reads the pid of the game of the moment from a file.
echo "" >"$OUT/pid"
(
    while :; do
        sleep 15
        pid=$(cat "$OUT/pid")
        kb=$(sed -n 's/^VmRSS:[^0-9]*\([0-9]*\) kB/\1/p' "/proc/$pid/status" 2>/dev/null || true)
        if [ -n "$kb" ]; then
            t=$(($(date +%s) - START))
            printf '%s\t%s\t%s\n' "$t" "$pid" "$kb" >>"$RSS"
            # The memory map, to tell which mapping grew (heap, driver, ...).
            cp "/proc/$pid/smaps" "$OUT/smaps/$pid-$t.txt" 2>/dev/null || true
        fi
    done
) &
SAMPLER_PID=$!

# A random number in [0, $1).
random() { od -An -N2 -tu2 /dev/urandom | awk -v n="$1" '{print $1 % n}'; }

# The window can go at any moment (the game ended): a failed xdotool call is
# not the soak's failure.
x() { xdotool "$@" >/dev/null 2>&1 || true; }

hold() { # key, milliseconds
    x keydown "$1"
    sleep "$(awk -v ms="$2" 'BEGIN{print ms/1000}')"
    x keyup "$1"
}

drag() { # a few strokes of the left mouse button across the window
    x mousemove --window "$WID" 320 180 mousedown 1
    for _ in 1 2 3 4 5; do
        x mousemove_relative -- "$(($(random 81) - 40))" "$(($(random 61) - 30))"
        sleep 0.05
    done
    x mouseup 1
}

FLIGHT="w a s d q e Up Down Left Right"
TOGGLES="F4 F5 F6 F7 F8 F10"
games=0
flying=0
other=0
ended=0
while [ "$(date +%s)" -lt "$END" ]; do
    (cd "$OUT/game" && exec "$BUILD_DIR/kelvaro19" >>"$OUT/game.log" 2>&1) &
    GAME_PID=$!
    # The subshell execs the game, so its pid is the game's.
    echo "$GAME_PID" >"$OUT/pid"
    games=$((games + 1))
    WID=$(timeout 120 xdotool search --sync --onlyvisible --pid "$GAME_PID" --name '^Kelvaro19' 2>/dev/null |
        head -n 1 || true)
    # The game opens on its start screen; Enter flies.
    until xdotool getwindowname "$WID" 2>/dev/null | grep -q '^Kelvaro19: Start' ||
        ! kill -0 "$GAME_PID" 2>/dev/null; do
        sleep 0.2
    done
    x windowfocus "$WID"
    hold Return 300
    ended_at=""
    while kill -0 "$GAME_PID" 2>/dev/null && [ "$(date +%s)" -lt "$END" ]; do
        x windowfocus "$WID"
        case $(random 20) in
        0) hold p 300 ;;
        1 | 2) hold "$(echo "$TOGGLES" | cut -d' ' -f"$((1 + $(random 6)))")" 250 ;;
        3) hold F9 300; drag; hold "$(echo "$FLIGHT" | cut -d' ' -f"$((1 + $(random 10)))")" 500; hold F9 300 ;;
        *) hold "$(echo "$FLIGHT" | cut -d' ' -f"$((1 + $(random 10)))")" "$((100 + $(random 1500)))" ;;
        esac
        # Mostly flying: a pause or the free camera is left again soon.
        title=$(xdotool getwindowname "$WID" 2>/dev/null || true)
        case $title in
        *"Game over"* | *"Game finished"*)
            ended=$((ended + 1))
            [ -z "$ended_at" ] && ended_at=$(date +%s)
            if [ $(($(date +%s) - ended_at)) -ge 20 ]; then kill "$GAME_PID"; fi ;;
        *"Game paused"*) other=$((other + 1)); [ "$(random 3)" -gt 0 ] && hold p 300 ;;
        *"Debugging"*) other=$((other + 1)); [ "$(random 3)" -gt 0 ] && hold F9 300 ;;
        *"Game running"*) flying=$((flying + 1)) ;;
        esac
    done
    kill "$GAME_PID" 2>/dev/null || true
    wait "$GAME_PID" 2>/dev/null || true
done
kill "$SAMPLER_PID" 2>/dev/null || true
SAMPLER_PID=""

echo "Soak: $MINUTES min, $games games; after each action the game was running $flying times," \
    "paused or in the free camera $other times, on its end screen $ended times"
echo "Resident size every 15 s in $RSS:"
awk -F'\t' -v half=$((MINUTES * 30)) '
NR == 1 { next }
!($2 in first) { first[$2] = $1 }
{ printf "%5d s  pid %-8s %8.1f MB\n", $1, $2, $3 / 1024 }
# The second half of the run, after each game`s first 30 s.
$1 >= half && $1 - first[$2] >= 30 {
    if (!($2 in base)) base[$2] = $3
    grow = $3 - base[$2]
    if (grow > worst) { worst = grow; who = $2 }
}
END {
    printf "Largest growth of one game in the second half: %d kB%s\n", worst, who ? " (pid " who ")" : ""
    exit worst > 1024
}' "$RSS"
