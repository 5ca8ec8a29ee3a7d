#!/bin/sh
# Proves the Debian package: builds it, checks it with lintian and
# desktop-file-validate, installs it, runs the installed game from an empty
# folder with an empty home (the level check on the first track, then the
# game under Xvfb, from its start screen until its title says "Game running",
# then a close), removes it and checks that nothing is left behind.
#
#   scripts/package-proof.sh            installs into a temporary root with
#                                       dpkg -x (any machine; the package's
#                                       dependencies must be installed)
#   scripts/package-proof.sh --system   installs with apt-get install ./deb
#                                       and removes with apt-get purge (root
#                                       on a machine of its own, as CI is)
set -eu
ROOT=$(CDPATH= cd -- "$(dirname -- "$0")/.." && pwd)
MODE=prefix
if [ "${1:-}" = "--system" ]; then MODE=system; fi
BUILD_DIR=${KELVARO_BUILD_DIR:-$ROOT/build}
say() { echo "proof: $*"; }
fail() { echo "proof: FAILED: $*" >&2; exit 1; }

KELVARO_EXTRA_PACKAGES="dpkg-dev fakeroot lintian desktop-file-utils appstream libx11-dev ${KELVARO_EXTRA_PACKAGES:-}" \
    KELVARO_BUILD_DIR=$BUILD_DIR "$ROOT/scripts/setup.sh"

WORK=$(mktemp -d "${TMPDIR:-/tmp}/kelvaro-proof-XXXXXX")
cleanup() {
    rm -rf "$WORK"
}
trap cleanup EXIT

# The build as it is configured: every build makes the same package.
say "building the package"
cmake --build "$BUILD_DIR" -j "$(nproc)" >/dev/null
rm -f "$BUILD_DIR"/kelvaro19_*.deb
(cd "$BUILD_DIR" && cpack -G DEB >/dev/null)
DEB=$(ls "$BUILD_DIR"/kelvaro19_*.deb)
say "made $(basename "$DEB") ($(du -k "$DEB" | cut -f1) kB)"
say "depends: $(dpkg-deb -f "$DEB" Depends)"

say "lintian"
lintian --display-level ">=info" "$DEB" >"$WORK/lintian.txt" 2>&1 || true
grep -v "running with root privileges" "$WORK/lintian.txt" | sed 's/^/  /' || true
if grep -q "^E: " "$WORK/lintian.txt"; then fail "lintian reports errors"; fi

dpkg-deb -x "$DEB" "$WORK/contents"
desktop-file-validate "$WORK/contents/usr/share/applications/kelvaro19.desktop" ||
    fail "the desktop entry does not validate"
say "desktop entry valid"
appstreamcli validate --no-net "$WORK/contents/usr/share/metainfo/org.example.kelvaro19.metainfo.xml" ||
    fail "the AppStream metadata does not validate"
say "AppStream metadata valid"
dpkg-deb -c "$DEB" | awk '{print $6}' | sed 's|^\./|/|; s|/$||' | grep -v '^$' >"$WORK/files.txt"

if [ "$MODE" = system ]; then
    say "installing with apt-get install"
    DEBIAN_FRONTEND=noninteractive apt-get install -y "$DEB" >"$WORK/apt.txt" 2>&1 ||
        { cat "$WORK/apt.txt"; fail "apt-get install"; }
    PREFIX=""
else
    say "installing into a temporary root with dpkg -x (no clean root here)"
    for dependency in $(dpkg-deb -f "$DEB" Depends | sed 's/([^)]*)//g; s/|[^,]*//g; s/,/ /g'); do
        dpkg-query -W -f='${Status}' "$dependency" 2>/dev/null | grep -q "install ok installed" ||
            fail "dependency $dependency is not installed"
    done
    say "every dependency is installed"
    PREFIX=$WORK/root
    dpkg-deb -x "$DEB" "$PREFIX"
fi
GAME=$PREFIX/usr/games/kelvaro19
DATA=$PREFIX/usr/share/kelvaro19
"$GAME" --version

# The first track: the first entry of the track list, else the shipped level.
LEVELS=$DATA/assets/models/worlds
FIRST=""
if [ -f "$LEVELS/tracks.list" ]; then
    FIRST=$(sed -n 's/^[[:space:]]*\([^#|][^|]*\)|.*/\1/p' "$LEVELS/tracks.list" | head -n 1 |
        sed 's/[[:space:]]*$//')
fi
FIRST=${FIRST:-sub2demo_debug.dae}

mkdir -p "$WORK/empty" "$WORK/home"
run_clean() {
    (cd "$WORK/empty" && env -i HOME="$WORK/home" PATH=/usr/bin:/bin LANG=C.UTF-8 \
        ${DISPLAY:+DISPLAY=$DISPLAY} ${XAUTHORITY:+XAUTHORITY=$XAUTHORITY} "$@")
}
say "kelvaro19 --check $LEVELS/$FIRST, from an empty folder with an empty home"
set +e
run_clean "$GAME" --check "$LEVELS/$FIRST" >"$WORK/check.txt" 2>&1
code=$?
set -e
tail -n 3 "$WORK/check.txt" | sed 's/^/  /'
[ "$code" -eq 0 ] || fail "the check ended with $code"

say "starting the game under Xvfb"
cc -o "$WORK/close-window" "$ROOT/scripts/package-proof/close-window.c" -lX11
cat >"$WORK/play.sh" <<PLAY
#!/bin/sh
cd "$WORK/empty"
env -i HOME="$WORK/home" PATH=/usr/bin:/bin LANG=C.UTF-8 DISPLAY="\$DISPLAY" \
    XAUTHORITY="\${XAUTHORITY:-}" "$GAME" >"$WORK/game.txt" 2>&1 &
pid=\$!
title=""
flown=""
i=0
while [ \$i -lt 600 ]; do
    window=\$(xdotool search --onlyvisible --pid \$pid --name '^Kelvaro19' 2>/dev/null | head -n 1)
    if [ -n "\$window" ]; then
        title=\$(xdotool getwindowname "\$window" 2>/dev/null)
        case "\$title" in
        "Kelvaro19: Game running"*) break ;;
        # The game opens on its start screen: Enter flies, as a player would.
        "Kelvaro19: Start"*)
            if [ -z "\$flown" ]; then
                flown=yes
                xdotool keydown Return
                sleep 0.3
                xdotool keyup Return
            fi
            ;;
        esac
    fi
    kill -0 \$pid 2>/dev/null || break
    sleep 0.2
    i=\$((i + 1))
done
echo "  title: \$title"
"$WORK/close-window" "\$window" 2>/dev/null
wait \$pid
code=\$?
echo "  the game ended with \$code after its window was closed"
case "\$title" in "Kelvaro19: Game running"*) [ \$code -eq 0 ] ;; *) exit 1 ;; esac
PLAY
chmod +x "$WORK/play.sh"
xvfb-run -a -s "-noreset -screen 0 1280x720x24" "$WORK/play.sh" ||
    { sed 's/^/  /' "$WORK/game.txt"; fail "the game did not run"; }
grep "Game data from" "$WORK/game.txt" | sed 's/^/  /'

say "removing the package"
if [ "$MODE" = system ]; then
    DEBIAN_FRONTEND=noninteractive apt-get purge -y kelvaro19 >"$WORK/apt.txt" 2>&1 ||
        { cat "$WORK/apt.txt"; fail "apt-get purge"; }
    left=""
    while read -r path; do
        case "$path" in /usr | /usr/bin | /usr/games | /usr/share | /usr/share/*/ | \
            /usr/share/applications | /usr/share/metainfo | /usr/share/doc | /usr/share/icons | /usr/share/icons/* | \
            /usr/share/man | /usr/share/man/man6) [ -d "$path" ] && continue ;; esac
        if [ -e "$path" ] || [ -L "$path" ]; then left="$left $path"; fi
    done <"$WORK/files.txt"
    [ -z "$left" ] || fail "left behind:$left"
    ! dpkg-query -W kelvaro19 >/dev/null 2>&1 || fail "dpkg still knows kelvaro19"
else
    tac "$WORK/files.txt" | while read -r path; do
        if [ -d "$PREFIX$path" ] && [ ! -L "$PREFIX$path" ]; then
            rmdir "$PREFIX$path" 2>/dev/null || true
        else
            rm -f "$PREFIX$path"
        fi
    done
    extra=$(find "$PREFIX" -mindepth 1 2>/dev/null | head -n 5)
    [ -z "$extra" ] || fail "the game wrote into its installed tree: $extra"
fi
written=$(find "$WORK/home" "$WORK/empty" -mindepth 1 | head -n 5)
[ -z "$written" ] || fail "the game wrote files on its first start: $written"
say "nothing left behind; the empty home and folder are still empty"
say "PASSED"
