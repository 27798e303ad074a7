#!/usr/bin/env bash
# Starts and ends the Wayland saver many times under a private headless sway
# (scripts/lib/headless-sway) and counts what went wrong:
#   bench/wayland_lifecycle.sh [CYCLES] [BINARY]   (defaults: 100, build/default)
#   bench/lifecycle.sh --wayland [CYCLES] [BINARY] (the same)
# Each cycle runs a window or the full screen on two outputs and ends it at a
# random moment from 0 to 4 s after its first frame in one of the ways that
# mode can end (a key; a click; the compositor's close, window only; SIGTERM;
# SIGINT; the compositor killed with SIGKILL), cycling through every
# combination. It ends with
#   lifecycle (wayland): N cycles, crashes C, hangs H, leaked L, nonzero Z
# crash: death by a signal other than the one sent, or a sanitizer report;
# hang: still running 5 s after the end; leaked: a process of the run or a
# saver surface left behind; nonzero: an exit status the way of ending does
# not explain (0, or 2 when the compositor died). Signals that arrived before
# the process could catch them are reported apart as "early".
# The exit status is 1 if any count but the cycles is non-zero.
set -uo pipefail
trap '' PIPE
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cycles="${1:-100}"
binary="${2:-${VELTRANE_BINARY:-$ROOT/build/default/host/linux/veltrane}}"
case "$cycles" in '' | *[!0-9]*) echo "usage: $0 [CYCLES] [BINARY]" >&2; exit 2 ;; esac
[ -x "$binary" ] || { echo "no $binary: build it first" >&2; exit 2; }
for tool in sway swaymsg wtype jq; do
    command -v "$tool" >/dev/null || { echo "$tool is needed" >&2; exit 2; }
done
build="$(cd "$(dirname "$binary")/../.." && pwd)"
# Headless sway has no pointer; clicks need the tests' pointer device.
pointer_device="$build/tests/host/wayland/wayland_pointer_device"
[ -x "$pointer_device" ] || pointer_device="$ROOT/build/default/tests/host/wayland/wayland_pointer_device"
[ -x "$pointer_device" ] || { echo "no wayland_pointer_device: build it (target wayland_pointer_device)" >&2; exit 2; }

export ASAN_OPTIONS="${ASAN_OPTIONS:-exitcode=86:abort_on_error=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:exitcode=86:print_stacktrace=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-exitcode=86}"
preload=""
if ldd "$binary" 2>/dev/null | grep -q libasan; then
    preload="$build/tests/host/x11/libx11_keep_modules_loaded.so"
    [ -f "$preload" ] || { echo "no $preload: build target x11_keep_modules_loaded" >&2; exit 2; }
    export ASAN_OPTIONS="$ASAN_OPTIONS:verify_asan_link_order=0"
fi

work="$(mktemp -d /tmp/veltrane-wl-lifecycle-XXXXXX)"
sway_dir="" saver_pid=""
start_sway() {
    local started
    started="$("$ROOT/scripts/lib/headless-sway")" || exit 2
    sway_dir="$(sed -n 's/^SWAY_DIR=//p' <<<"$started")"
    sway_pid="$(sed -n 's/^SWAY_PID=//p' <<<"$started")"
    export WAYLAND_DISPLAY="$(sed -n 's/^WAYLAND_DISPLAY=//p' <<<"$started")"
    export SWAYSOCK="$(sed -n 's/^SWAYSOCK=//p' <<<"$started")"
    swaymsg create_output >/dev/null # two outputs for the full screen
    "$pointer_device" >/dev/null 2>&1 & # ends with its compositor
    for _ in $(seq 1 200); do
        [ "$(swaymsg -r -t get_seats | jq '.[0].capabilities % 2')" = 1 ] && break
        sleep 0.02
    done
}
stop_sway() {
    [ -n "$sway_dir" ] && "$ROOT/scripts/lib/headless-sway" stop "$sway_dir"
    sway_dir=""
}
cleanup() {
    [ -n "$saver_pid" ] && kill -KILL -- "-$saver_pid" 2>/dev/null
    stop_sway
    rm -rf "$work"
}
trap cleanup EXIT

surfaces() { swaymsg -r -t get_tree 2>/dev/null | jq '[.. | objects | select(.app_id? == "veltrane")] | length'; }
ended() {
    local state
    state="$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f1)"
    [ -z "$state" ] || [ "$state" = Z ]
}
catches() {
    local mask
    mask="$(sed -n 's/^SigCgt:\s*//p' "/proc/$1/status" 2>/dev/null)"
    [ -n "$mask" ] && (( (16#$mask >> ($(kill -l "$2") - 1)) & 1 ))
}
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

crashes=0 hangs=0 leaked=0 nonzero=0 early=0
combos=()
for way in key click close TERM INT compositor; do combos+=("window:$way"); done
for way in key click TERM INT compositor; do combos+=("fullscreen:$way"); done

start_sway
for ((cycle = 0; cycle < cycles; cycle++)); do
    combo="${combos[cycle % ${#combos[@]}]}"
    mode="${combo%%:*}" way="${combo#*:}"
    delay_ms=$(( (RANDOM * 32768 + RANDOM) % 4001 ))
    [ -n "$sway_dir" ] || start_sway
    args=(--wayland) want=1
    [ "$mode" = fullscreen ] && args+=(--fullscreen) && want=2
    swaymsg seat - cursor set 640 512 >/dev/null

    env --default-signal=INT ${preload:+LD_PRELOAD="$preload"} \
        setsid "$binary" "${args[@]}" >/dev/null 2>"$work/stderr" &
    saver_pid=$!
    # Input reaches a surface only once it is there: wait for every one.
    deadline=$(( $(now_ms) + 15000 ))
    until [ "$(surfaces)" = "$want" ] || ended "$saver_pid" || [ "$(now_ms)" -ge "$deadline" ]; do
        sleep 0.02
    done
    sleep "$(printf '%d.%03d' $((delay_ms / 1000)) $((delay_ms % 1000)))"

    sent="" caught=yes
    ended_at=$(now_ms)
    case "$way" in
    key) wtype -s 300 a 2>/dev/null ;; # the pause: see typeKey in the tests
    click) swaymsg seat - cursor press button1 >/dev/null; swaymsg seat - cursor release button1 >/dev/null ;;
    close) swaymsg '[app_id="veltrane"]' kill >/dev/null ;;
    TERM | INT)
        catches "$saver_pid" "$way" || caught=no
        kill "-$way" "$saver_pid" 2>/dev/null
        sent="$way"
        ;;
    compositor)
        kill -KILL "$sway_pid" 2>/dev/null
        stop_sway
        ;;
    esac

    until ended "$saver_pid" || [ $(($(now_ms) - ended_at)) -ge 5000 ]; do sleep 0.02; done
    outcome=""
    if ! ended "$saver_pid"; then
        hangs=$((hangs + 1)) outcome="hang"
        kill -KILL -- "-$saver_pid" 2>/dev/null
    fi
    wait "$saver_pid"
    status=$?
    message="$(tr '\n' ' ' <"$work/stderr" | cut -c1-300)"
    if [ -z "$outcome" ]; then
        sent_number=0
        [ -n "$sent" ] && sent_number=$(kill -l "$sent")
        if grep -qE 'Sanitizer|runtime error:' "$work/stderr"; then
            outcome="crash"
        elif [ "$status" -gt 128 ] && [ "$((status - 128))" -ne "$sent_number" ]; then
            outcome="crash"
        elif [ "$status" -gt 128 ] && [ "$caught" = no ]; then
            early=$((early + 1))
        elif [ "$status" -gt 128 ] || { [ "$status" -ne 0 ] && [ "$way:$status" != compositor:2 ]; }; then
            outcome="nonzero"
        fi
        case "$outcome" in
        crash) crashes=$((crashes + 1)) ;;
        nonzero) nonzero=$((nonzero + 1)) ;;
        esac
    fi
    # Children of the full screen may linger a moment after their parent.
    for _ in $(seq 1 100); do pgrep -g "$saver_pid" >/dev/null 2>&1 || break; sleep 0.02; done
    if pgrep -g "$saver_pid" >/dev/null 2>&1; then
        leaked=$((leaked + 1)) outcome="${outcome:+$outcome, }leaked a process"
        kill -KILL -- "-$saver_pid" 2>/dev/null
    fi
    if [ -n "$sway_dir" ] && [ "$(surfaces)" != 0 ]; then
        leaked=$((leaked + 1)) outcome="${outcome:+$outcome, }leaked a surface"
    fi
    saver_pid=""
    if [ -n "$outcome" ]; then
        echo "cycle $cycle ($mode, $way after ${delay_ms} ms): $outcome, status $status: $message" >&2
        [ "$outcome" = crash ] && cp "$work/stderr" "/tmp/veltrane-wl-lifecycle-crash-$cycle.log"
    fi
done

[ "$early" -eq 0 ] || echo "early: $early signals arrived before the process could catch them" >&2
echo "lifecycle (wayland): $cycles cycles, crashes $crashes, hangs $hangs, leaked $leaked, nonzero $nonzero"
[ $((crashes + hangs + leaked + nonzero)) -eq 0 ]
