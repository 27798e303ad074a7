# shellcheck shell=bash disable=SC2034,SC2154 # shares its variables with bench/lifecycle.sh
# The idle watcher's part of bench/lifecycle.sh, which sources it: `veltrane
# --idle 0.03` (1.8 s) under a private headless sway with two outputs. Each
# cycle waits for the saver the watcher shows on both outputs, then, at the
# random moment, ends it by a key (the watcher must go on; it is then ended
# with SIGTERM once the saver is gone) or ends the watcher by SIGTERM (the
# saver goes with it), in turn. Every run must end with status 0, leaving no
# process and no surface. A saver the watcher reports as failed (an exit
# status other than 0, a signal) counts as nonzero; a key that does not end
# the saver leaves the watcher running, which counts as a hang.
NAME=veltrane-idle-lifecycle
SUMMARY="lifecycle (idle watcher)"
DEFAULT_CYCLES=20
# The watcher ends only once its saver, and the saver's children, are reaped.
LINGER_MS=0
COMBOS=(saver:key saver:TERM)

host_check() {
    need_tools sway swaymsg wtype jq pgrep
}

host_up() {
    [ -z "${SWAY_DIR:-}" ] || return 0
    start_private_sway 1024x768 || return 1
    export WAYLAND_DISPLAY="$SWAY_DISPLAY"
    swaymsg create_output >/dev/null # two outputs for the full screen
}

# The lock goes in the run's own folder; only the compositor's idle source
# may serve (no X server, no session bus).
host_prepare() {
    ARGS=(--idle 0.03)
    ENVIRONMENT=("XDG_RUNTIME_DIR=$work" "DISPLAY="
        "DBUS_SESSION_BUS_ADDRESS=unix:path=$work/no-bus")
}

# The period first, then the saver's start: input reaches its surfaces only
# once they are there.
host_wait() {
    poll 20000 saver_shown_or_end
    sleep_ms "$3"
}

surfaces() { swaymsg -r -t get_tree 2>/dev/null | jq '[.. | objects | select(.app_id? == "veltrane")] | length'; }
saver_shown_or_end() { [ "$(surfaces)" = 2 ] || ended "$saver_pid"; }

host_end() {
    [ "$1" = key ] || return 0
    local saver
    saver="$(pgrep -P "$saver_pid" | head -n1)"
    wtype -s 300 a 2>/dev/null # the pause: see typeKey in the tests
    if [ -n "$saver" ] && poll 5000 ended "$saver" && ! ended "$saver_pid"; then
        kill -TERM "$saver_pid" 2>/dev/null
    else
        echo "lifecycle: the key did not end the saver, or ended the watcher" >>"$work/stderr"
    fi
}

host_excuses() { return 1; }

host_complaint() {
    grep -m1 -E '^lifecycle: |the saver (ended with status|was killed by|could not be started)' "$1"
}

host_leftover() {
    [ -n "$SWAY_DIR" ] && [ "$(surfaces)" != 0 ] && echo "leaked a surface"
}

host_after_cycle() { :; }
host_cleanup() { :; }
