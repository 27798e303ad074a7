# shellcheck shell=bash disable=SC2034,SC2154 # shares its variables with bench/lifecycle.sh
# The Wayland part of bench/lifecycle.sh, which sources it: the saver under a
# private headless sway with two outputs. Each cycle runs a window or the
# full screen and ends it by a key, a click, the compositor's close (window
# only), SIGTERM, SIGINT, or the compositor killed with SIGKILL. The random
# moment counts from when sway shows every surface of the saver. Exit status 2
# is explained when the compositor died.
NAME=veltrane-wl-lifecycle
SUMMARY="lifecycle (wayland)"
DEFAULT_CYCLES=100
# Children of the full screen may outlive their parent by a moment.
LINGER_MS=2000
COMBOS=()
for way in key click close TERM INT compositor; do COMBOS+=("window:$way"); done
for way in key click TERM INT compositor; do COMBOS+=("fullscreen:$way"); done

host_check() {
    need_tools sway swaymsg wtype jq || return 1
    # Headless sway has no pointer; clicks need the tests' pointer device.
    POINTER_DEVICE="$(built tests/host/wayland/wayland_pointer_device)"
}

host_up() {
    [ -z "${SWAY_DIR:-}" ] || return 0
    start_private_sway || return 1
    export WAYLAND_DISPLAY="$SWAY_DISPLAY"
    swaymsg create_output >/dev/null # two outputs for the full screen
    "$POINTER_DEVICE" >/dev/null 2>&1 & # ends with its compositor
    poll 4000 has_pointer
    return 0
}

has_pointer() { [ "$(swaymsg -r -t get_seats | jq '.[0].capabilities % 2')" = 1 ]; }

host_prepare() {
    ARGS=(--wayland) surfaces_wanted=1
    [ "$1" = fullscreen ] && ARGS+=(--fullscreen) && surfaces_wanted=2
    swaymsg seat - cursor set 640 512 >/dev/null
}

# Input reaches a surface only once it is there: wait for every one.
host_wait() {
    poll 15000 all_shown_or_end
    sleep_ms "$3"
}

surfaces() { swaymsg -r -t get_tree 2>/dev/null | jq '[.. | objects | select(.app_id? == "veltrane")] | length'; }
all_shown_or_end() { [ "$(surfaces)" = "$surfaces_wanted" ] || ended "$saver_pid"; }

host_end() {
    case "$1" in
    key) wtype -s 300 a 2>/dev/null ;; # the pause: see typeKey in the tests
    click)
        swaymsg seat - cursor press button1 >/dev/null
        swaymsg seat - cursor release button1 >/dev/null
        ;;
    close) swaymsg '[app_id="veltrane"]' kill >/dev/null ;;
    compositor)
        kill -KILL "$SWAY_PID" 2>/dev/null
        stop_private_sway
        ;;
    esac
}

host_excuses() { [ "$1:$2" = compositor:2 ]; }

host_leftover() {
    [ -n "$SWAY_DIR" ] && [ "$(surfaces)" != 0 ] && echo "leaked a surface"
}

host_after_cycle() { :; }
host_cleanup() { :; }
