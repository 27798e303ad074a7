# shellcheck shell=bash
# Private servers for the scripts and benchmarks: an Xvfb, a headless sway, a
# Wine prefix. Each is ended when the calling script exits (at_exit), and may
# be ended before by its stop_ function. Sourced by common.sh.

# start_private_xvfb [WxH]: starts an Xvfb (one screen of WxH, default
# 1280x1024, depth 24) on the first display number from :91 that no server
# holds, and returns once it listens there: its lock file names it and its
# socket is there. Sets XVFB_PID and XVFB_DISPLAY (":N"); setting DISPLAY is
# the caller's choice. A number another server takes between the look and the
# start costs one more try; five failed starts, or one that does not listen
# within 10 s, fail with the server's log.
start_private_xvfb() {
    local size="${1:-1280x1024}" n tries=0
    XVFB_LOG="$(mktemp /tmp/veltrane-xvfb.XXXXXX)"
    at_exit stop_private_xvfb
    for n in $(seq 91 250); do
        [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ] && continue
        Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp -noreset >"$XVFB_LOG" 2>&1 &
        XVFB_PID=$!
        XVFB_DISPLAY=":$n"
        if poll 10000 xvfb_settled; then
            kill -0 "$XVFB_PID" 2>/dev/null && return 0
            # Dead at once: another server took the number first.
            wait "$XVFB_PID" 2>/dev/null || true
            XVFB_PID=""
            tries=$((tries + 1))
            [ "$tries" -lt 5 ] && continue
        fi
        echo "Xvfb did not start on :$n; its log:" >&2
        cat "$XVFB_LOG" >&2
        stop_private_xvfb KILL
        return 1
    done
    echo "Xvfb: no display number free from :91 to :250" >&2
    return 1
}

# True once the Xvfb of XVFB_PID has died, or owns XVFB_DISPLAY and listens
# on it.
xvfb_settled() {
    local n="${XVFB_DISPLAY#:}"
    kill -0 "$XVFB_PID" 2>/dev/null || return 0
    [ "$(xvfb_lock_owner "$n")" = "$XVFB_PID" ] && [ -S "/tmp/.X11-unix/X$n" ]
}

# The process id display N's lock file names, if any.
xvfb_lock_owner() { { tr -dc 0-9 <"/tmp/.X$1-lock"; } 2>/dev/null || true; }

# stop_private_xvfb [SIGNAL]: ends the Xvfb with SIGNAL (default TERM) and
# waits for it. After SIGKILL it removes the lock file and the socket it
# leaves behind, while the lock still names it.
stop_private_xvfb() {
    [ -n "${XVFB_PID:-}" ] || return 0
    kill "-${1:-TERM}" "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    local n="${XVFB_DISPLAY#:}"
    if [ "$(xvfb_lock_owner "$n")" = "$XVFB_PID" ]; then
        rm -f "/tmp/.X$n-lock" "/tmp/.X11-unix/X$n"
    fi
    rm -f "$XVFB_LOG"
    XVFB_PID=""
}

# handed_over VARIABLE: true when VELTRANE_KEEP_DISPLAY is set and VARIABLE
# names a server handed to us, which the tests then use instead of their own.
handed_over() { [ -n "${VELTRANE_KEEP_DISPLAY:-}" ] && [ -n "${!1:-}" ]; }

# start_xvfb: a private Xvfb as DISPLAY for the rest of the script, unless
# one was handed over.
start_xvfb() {
    handed_over DISPLAY && return 0
    start_private_xvfb
    export DISPLAY="$XVFB_DISPLAY"
}

# start_private_sway [WxH]: starts a headless sway (scripts/lib/headless-sway,
# outputs WxH, default 1280x1024) and returns once it answers. Sets
# SWAY_DISPLAY (its socket's full path), SWAY_PID and SWAY_DIR, and exports
# SWAYSOCK for swaymsg; setting WAYLAND_DISPLAY is the caller's choice.
start_private_sway() {
    local started
    started="$("$ROOT/scripts/lib/headless-sway" "$@")" || return 1
    SWAY_DISPLAY="$(sed -n 's/^WAYLAND_DISPLAY=//p' <<<"$started")"
    SWAY_PID="$(sed -n 's/^SWAY_PID=//p' <<<"$started")"
    SWAY_DIR="$(sed -n 's/^SWAY_DIR=//p' <<<"$started")"
    SWAYSOCK="$(sed -n 's/^SWAYSOCK=//p' <<<"$started")"
    export SWAYSOCK
    at_exit stop_private_sway
}

stop_private_sway() {
    [ -n "${SWAY_DIR:-}" ] || return 0
    "$ROOT/scripts/lib/headless-sway" stop "$SWAY_DIR"
    SWAY_DIR="" SWAY_PID=""
}

# start_sway: a private headless sway for the tests, unless one was handed
# over. Its socket's full path is exported as VELTRANE_TEST_WAYLAND_DISPLAY;
# WAYLAND_DISPLAY itself stays unset, so that the X11 tests keep their server
# whatever the saver would pick by itself.
start_sway() {
    handed_over VELTRANE_TEST_WAYLAND_DISPLAY && return 0
    start_private_sway
    export VELTRANE_TEST_WAYLAND_DISPLAY="$SWAY_DISPLAY"
}

# Starts a private, throw-away Wine prefix with one persistent server for the
# calling script (Wine is slow to start); it is removed, and every Wine process
# of it ended, by stop_wine or when the script exits. Needs a display.
start_wine() {
    WINE_DIR="$(mktemp -d /tmp/veltrane-wine.XXXXXX)"
    export WINEPREFIX="$WINE_DIR/prefix"
    export WINEDEBUG=-all
    # No Mono or Gecko install prompts.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEARCH=win64
    at_exit stop_wine
    mkdir -p "$WINEPREFIX"
    wineserver -p
    wineboot -i >/dev/null 2>&1
}

stop_wine() {
    [ -n "${WINE_DIR:-}" ] || return 0
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    rm -rf "$WINE_DIR"
    WINE_DIR=""
}
