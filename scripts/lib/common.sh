# Shared by scripts/run and scripts/test. Source it; do not run it.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
JOBS="$(nproc 2>/dev/null || echo 2)"

log() { printf '\n== %s\n' "$*" >&2; }

# Lists under scripts/deps that only the tests, the Windows build and the
# packages need; scripts/run installs every other list.
TEST_ONLY_DEPS="test windows packaging fuzz bench"

# install_deps [--run]: installs the Debian packages named in scripts/deps/*.txt
# that are missing; with --run only the lists building and running the Linux
# program needs. Runs apt-get only when something is missing, so repeat runs
# stay offline.
install_deps() {
    local lists=() list name
    for list in "$ROOT"/scripts/deps/*.txt; do
        name="$(basename "$list" .txt)"
        if [ "${1:-}" = "--run" ] && [[ " $TEST_ONLY_DEPS " == *" $name "* ]]; then
            continue
        fi
        lists+=("$list")
    done
    local wanted=() missing=() pkg
    while read -r pkg; do
        [ -n "$pkg" ] && wanted+=("$pkg")
    done < <(cat "${lists[@]}" | sed 's/#.*//' | tr -s ' \t' '\n' | sort -u)
    for pkg in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'ok installed' || missing+=("$pkg")
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    log "installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# configure_and_build <preset> [extra cmake args...]
configure_and_build() {
    local preset="$1"
    shift
    log "configure + build ($preset)"
    cmake --preset "$preset" -S "$ROOT" "$@" >/dev/null
    cmake --build --preset "$preset" -j "$JOBS"
}

# Starts a private Xvfb unless one was handed to us; sets DISPLAY. The server
# is killed when the calling script exits.
start_xvfb() {
    if [ -n "${VELTRANE_KEEP_DISPLAY:-}" ] && [ -n "${DISPLAY:-}" ]; then
        return 0
    fi
    local n
    for n in $(seq 91 120); do
        if [ ! -e "/tmp/.X${n}-lock" ] && [ ! -e "/tmp/.X11-unix/X${n}" ]; then
            break
        fi
    done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >/tmp/veltrane-xvfb-$n.log 2>&1 &
    XVFB_PID=$!
    trap 'kill $XVFB_PID 2>/dev/null || true' EXIT
    export DISPLAY=":$n"
    local i
    for i in $(seq 1 100); do
        [ -e "/tmp/.X11-unix/X${n}" ] && return 0
        sleep 0.1
    done
    echo "Xvfb did not start on :$n" >&2
    return 1
}

# Starts a private headless sway (scripts/lib/headless-sway) unless one was
# handed to us; exports its socket's full path as VELTRANE_TEST_WAYLAND_DISPLAY
# and its IPC socket as SWAYSOCK. WAYLAND_DISPLAY itself stays unset, so that
# the X11 tests keep their server whatever the saver would pick by itself. The
# compositor is stopped when the calling script exits.
start_sway() {
    if [ -n "${VELTRANE_KEEP_DISPLAY:-}" ] && [ -n "${VELTRANE_TEST_WAYLAND_DISPLAY:-}" ]; then
        return 0
    fi
    local started
    started="$("$ROOT/scripts/lib/headless-sway")" || return 1
    VELTRANE_TEST_WAYLAND_DISPLAY="$(sed -n 's/^WAYLAND_DISPLAY=//p' <<<"$started")"
    SWAYSOCK="$(sed -n 's/^SWAYSOCK=//p' <<<"$started")"
    SWAY_DIR="$(sed -n 's/^SWAY_DIR=//p' <<<"$started")"
    export VELTRANE_TEST_WAYLAND_DISPLAY SWAYSOCK
    trap 'stop_sway; kill ${XVFB_PID:-} 2>/dev/null || true' EXIT
}

stop_sway() {
    [ -n "${SWAY_DIR:-}" ] && "$ROOT/scripts/lib/headless-sway" stop "$SWAY_DIR"
    SWAY_DIR=""
}

# Starts a private, throw-away Wine prefix with one persistent server for the
# calling script (Wine is slow to start); it is removed, and every Wine process
# of it ended, when the script exits. Needs a display.
start_wine() {
    WINE_DIR="$(mktemp -d /tmp/veltrane-wine.XXXXXX)"
    export WINEPREFIX="$WINE_DIR/prefix"
    export WINEDEBUG=-all
    # No Mono or Gecko install prompts.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEARCH=win64
    trap 'stop_wine; kill ${XVFB_PID:-} 2>/dev/null || true' EXIT
    mkdir -p "$WINEPREFIX"
    wineserver -p
    wineboot -i >/dev/null 2>&1
}

stop_wine() {
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    rm -rf "$WINE_DIR"
}
