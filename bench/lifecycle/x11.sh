# shellcheck shell=bash disable=SC2034,SC2154 # shares its variables with bench/lifecycle.sh
# The X11 part of bench/lifecycle.sh, which sources it: the saver under a
# private Xvfb. Each cycle runs one mode (a window; --root with
# XSCREENSAVER_WINDOW naming a window made for it; --window-id with such a
# window, made by the helper x11_lifecycle_window as the daemon would) and
# ends it by a key (window mode only), SIGTERM, SIGINT, the hack's window
# destroyed, or the X server killed. The random moment counts from the exec
# of the saver; a key waits for the saver's window first. Exit status 2 is
# explained when the X server died, or when the hack's window was destroyed
# before the saver could look at it.
NAME=veltrane-lifecycle
SUMMARY=lifecycle
DEFAULT_CYCLES=200
LINGER_MS=0
COMBOS=()
for way in key TERM INT server; do COMBOS+=("window:$way"); done
for way in TERM INT destroy server; do COMBOS+=("root:$way"); done
for way in TERM INT destroy server; do COMBOS+=("window-id:$way"); done
# Window mode picks a Wayland compositor when one answers: not the desktop's.
unset WAYLAND_DISPLAY
helper_pid=""

host_check() {
    HELPER="$(built tests/host/x11/x11_lifecycle_window)" || return 1
    need_tools Xvfb xdotool || return 1
    EXE="$(readlink -f "$BINARY")"
}

host_up() {
    [ -z "${XVFB_PID:-}" ] || return 0
    start_private_xvfb || return 1
    export DISPLAY="$XVFB_DISPLAY"
}

host_prepare() {
    window_id=""
    case "$1" in
    window) xdotool mousemove 200 200 ;;
    root)
        make_hack_window
        ARGS=(--root)
        ENVIRONMENT=("XSCREENSAVER_WINDOW=$window_id")
        ;;
    window-id)
        make_hack_window
        ARGS=(--window-id "$window_id")
        ;;
    esac
    if [ "$1" != window ] && [ -z "$window_id" ]; then
        echo "cycle $cycle: the helper made no window" >&2
        return 1
    fi
}

# The window the daemon would give the hack, owned by the helper on fd 3/4.
make_hack_window() {
    coproc WINDOW { exec "$HELPER" 640 480 2>/dev/null; }
    helper_pid=$WINDOW_PID
    exec 3>&"${WINDOW[1]}"
    read -r -t 10 window_id <&"${WINDOW[0]}" || window_id=""
}

destroy_hack_window() {
    [ -n "$helper_pid" ] || return 0
    echo destroy >&3 2>/dev/null
    exec 3>&-
    wait "$helper_pid" 2>/dev/null
    helper_pid=""
}

# The clock starts once the process is the saver: before the exec it is still
# a copy of this shell.
host_wait() {
    local started
    for _ in $(seq 1 500); do
        [ "$(readlink "/proc/$saver_pid/exe" 2>/dev/null)" = "$EXE" ] && break
        ended "$saver_pid" && break
        sleep 0.002
    done
    started=$(now_ms)
    # A key can only end a run whose window is there to receive it.
    [ "$2" = key ] && poll 10000 saver_window_or_end
    sleep_ms $((started + $3 - $(now_ms)))
}

saver_window_or_end() { saver_window || ended "$saver_pid"; }
saver_window() { xdotool search --name '^Veltrane$' >/dev/null 2>&1; }

host_end() {
    case "$1" in
    key) xdotool key space ;;
    destroy) destroy_hack_window ;;
    server) stop_private_xvfb KILL ;;
    esac
}

host_excuses() {
    case "$1:$2" in
    server:2) ;;
    destroy:2) [[ "$3" == *"there is no window"* ]] ;;
    *) return 1 ;;
    esac
}

host_leftover() {
    [ -n "$XVFB_PID" ] && saver_window && echo "leaked a window"
}

host_after_cycle() { destroy_hack_window; }

host_cleanup() {
    [ -n "$helper_pid" ] && kill "$helper_pid" 2>/dev/null
    exec 3>&- 2>/dev/null
}
