#!/usr/bin/env bash
# Starts and ends the X11 saver many times under a private Xvfb, the way a
# daemon and its users do, and counts what went wrong:
#   bench/lifecycle.sh [CYCLES] [BINARY]          (defaults: 200, build/default)
#   VELTRANE_BINARY=build/asan/host/linux/veltrane bench/lifecycle.sh 200
#   bench/lifecycle.sh --wayland [CYCLES] [BINARY]  the Wayland saver under a
#                      headless sway instead (bench/wayland_lifecycle.sh)
# Each cycle runs one mode (a window; --root with XSCREENSAVER_WINDOW naming a
# window made for it; --window-id with such a window) and ends it at a random
# moment from 0 to 4 s after the start in one of the ways that mode can end
# (a key in window mode; SIGTERM; SIGINT; the hack's window destroyed; the X
# server killed), cycling through every combination. It ends with
#   lifecycle: N cycles, crashes C, hangs H, leaked L, nonzero Z
# crash: death by a signal other than the one sent, or a sanitizer report;
# hang: still running 5 s after the end; leaked: a process of the run or a
# saver window left behind; nonzero: an exit status the way of ending does not
# explain (0 for all of them; 2 when the X server died, or when the hack's
# window was destroyed before the saver could look at it). Death by the signal
# sent counts as nonzero too, unless the signal arrived before the process had
# installed any handler for it (read from /proc just before sending: the
# dynamic loader's, or a sanitizer runtime's, start-up that no program can
# shorten); those are reported apart as "early".
# The exit status is 1 if any count but the cycles is non-zero.
set -uo pipefail
trap '' PIPE # a helper that died with its server must not take the script along
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
[ "${1:-}" = --wayland ] && exec "$ROOT/bench/wayland_lifecycle.sh" "${@:2}"
cycles="${1:-200}"
binary="${2:-${VELTRANE_BINARY:-$ROOT/build/default/host/linux/veltrane}}"
case "$cycles" in '' | *[!0-9]*) echo "usage: $0 [CYCLES] [BINARY]" >&2; exit 2 ;; esac
[ -x "$binary" ] || { echo "no $binary: build it first" >&2; exit 2; }
build="$(cd "$(dirname "$binary")/../.." && pwd)"
helper="$build/tests/host/x11/x11_lifecycle_window"
[ -x "$helper" ] || helper="$ROOT/build/default/tests/host/x11/x11_lifecycle_window"
[ -x "$helper" ] || { echo "no x11_lifecycle_window: build it (target x11_lifecycle_window)" >&2; exit 2; }
for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "$tool is needed" >&2; exit 2; }
done

# Sanitizer builds: reports end the process with this status and are counted
# as crashes; leak checking stays on.
export ASAN_OPTIONS="${ASAN_OPTIONS:-exitcode=86:abort_on_error=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:exitcode=86:print_stacktrace=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-exitcode=86}"
# Mesa unloads its driver as a connection closes, and LeakSanitizer then
# reports what only the unloaded module still pointed to; the preload keeps
# modules loaded (tests/host/x11/keep_modules_loaded.cpp).
preload=""
if ldd "$binary" 2>/dev/null | grep -q libasan; then
    keep="$build/tests/host/x11/libx11_keep_modules_loaded.so"
    [ -f "$keep" ] || { echo "no $keep: build target x11_keep_modules_loaded" >&2; exit 2; }
    preload="$keep"
    export ASAN_OPTIONS="$ASAN_OPTIONS:verify_asan_link_order=0"
fi

work="$(mktemp -d /tmp/veltrane-lifecycle-XXXXXX)"
display_number=""
xvfb_pid=""
helper_pid=""
saver_pid=""

start_server() {
    local n
    for n in $(seq 171 230); do
        [ ! -e "/tmp/.X${n}-lock" ] && [ ! -e "/tmp/.X11-unix/X${n}" ] && break
    done
    display_number="$n"
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 1 100); do
        xdotool getmouselocation >/dev/null 2>&1 && return 0
        sleep 0.05
    done
    echo "Xvfb did not start on :$n" >&2
    exit 2
}

stop_server() {
    [ -n "$xvfb_pid" ] || return 0
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
}

cleanup() {
    [ -n "$saver_pid" ] && kill -KILL -- "-$saver_pid" 2>/dev/null
    [ -n "$helper_pid" ] && kill "$helper_pid" 2>/dev/null
    exec 3>&- 2>/dev/null
    stop_server
    rm -rf "$work"
}
trap cleanup EXIT

# The window the daemon would give the hack, owned by a helper on fd 3/4.
make_hack_window() {
    coproc WINDOW { exec "$helper" 640 480 2>/dev/null; }
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

# True once the process has ended (a zombie until reaped).
ended() {
    local state
    state="$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f1)"
    [ -z "$state" ] || [ "$state" = Z ]
}

# True if the process has a handler for the signal (a name such as TERM).
catches() {
    local mask
    mask="$(sed -n 's/^SigCgt:\s*//p' "/proc/$1/status" 2>/dev/null)"
    [ -n "$mask" ] && (( (16#$mask >> ($(kill -l "$2") - 1)) & 1 ))
}

# Elapsed milliseconds since the cycle's start.
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

crashes=0 hangs=0 leaked=0 nonzero=0 early=0
modes=(window root window-id)
declare -A ways=([window]="key TERM INT server" [root]="TERM INT destroy server"
                 [window-id]="TERM INT destroy server")
combos=()
for mode in "${modes[@]}"; do
    for way in ${ways[$mode]}; do combos+=("$mode:$way"); done
done

start_server
for ((cycle = 0; cycle < cycles; cycle++)); do
    combo="${combos[cycle % ${#combos[@]}]}"
    mode="${combo%%:*}"
    way="${combo#*:}"
    delay_ms=$(( (RANDOM * 32768 + RANDOM) % 4001 ))
    [ -n "$xvfb_pid" ] || start_server

    args=()
    environment=()
    window_id=""
    case "$mode" in
    window) xdotool mousemove 200 200 ;;
    root)
        make_hack_window
        args=(--root)
        environment=("XSCREENSAVER_WINDOW=$window_id")
        ;;
    window-id)
        make_hack_window
        args=(--window-id "$window_id")
        ;;
    esac
    if [ "$mode" != window ] && [ -z "$window_id" ]; then
        echo "cycle $cycle: the helper made no window" >&2
        exit 2
    fi

    # A process group of its own (so nothing it starts can hide), and SIGINT
    # back at its default: a shell's background jobs start with it ignored.
    env --default-signal=INT ${preload:+LD_PRELOAD="$preload"} "${environment[@]}" \
        setsid "$binary" "${args[@]}" \
        >/dev/null 2>"$work/stderr" &
    saver_pid=$!
    # The clock starts once the process is the saver: before the exec it is
    # still a copy of this shell.
    for _ in $(seq 1 500); do
        [ "$(readlink "/proc/$saver_pid/exe" 2>/dev/null)" = "$(readlink -f "$binary")" ] && break
        ended "$saver_pid" && break
        sleep 0.002
    done
    started=$(now_ms)

    sent=""
    caught=yes
    if [ "$way" = key ]; then
        # A key can only end a run whose window is there to receive it.
        deadline=$((started + 10000))
        until xdotool search --name '^Veltrane$' >/dev/null 2>&1 || ended "$saver_pid" ||
            [ "$(now_ms)" -ge "$deadline" ]; do sleep 0.02; done
    fi
    remaining=$((started + delay_ms - $(now_ms)))
    [ "$remaining" -gt 0 ] && sleep "$(printf '%d.%03d' $((remaining / 1000)) $((remaining % 1000)))"
    ended_at=$(now_ms)
    case "$way" in
    key) xdotool key space ;;
    TERM | INT)
        catches "$saver_pid" "$way" || caught=no
        kill "-$way" "$saver_pid" 2>/dev/null
        sent="$way"
        ;;
    destroy) destroy_hack_window ;;
    server)
        kill -KILL "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
        xvfb_pid=""
        # What a killed server leaves behind (ours alone: the number was free).
        rm -f "/tmp/.X${display_number}-lock" "/tmp/.X11-unix/X${display_number}"
        ;;
    esac

    until ended "$saver_pid" || [ $(($(now_ms) - ended_at)) -ge 5000 ]; do sleep 0.02; done
    outcome=""
    if ! ended "$saver_pid"; then
        hangs=$((hangs + 1))
        outcome="hang"
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
            early=$((early + 1)) # before the program could install a handler
        elif [ "$status" -gt 128 ]; then
            outcome="nonzero" # killed by the signal it should have handled
        elif [ "$status" -ne 0 ] && [ "$status" -le 128 ]; then
            case "$way:$status" in
            server:2) ;;
            destroy:2) [[ "$message" == *"there is no window"* ]] || outcome="nonzero" ;;
            *) outcome="nonzero" ;;
            esac
        fi
        case "$outcome" in
        crash) crashes=$((crashes + 1)) ;;
        nonzero) nonzero=$((nonzero + 1)) ;;
        esac
    fi

    # Leftovers: any process of the run's group, any saver window.
    if pgrep -g "$saver_pid" >/dev/null 2>&1; then
        leaked=$((leaked + 1))
        outcome="${outcome:+$outcome, }leaked a process"
        kill -KILL -- "-$saver_pid" 2>/dev/null
    fi
    if [ -n "$xvfb_pid" ] && xdotool search --name '^Veltrane$' >/dev/null 2>&1; then
        leaked=$((leaked + 1))
        outcome="${outcome:+$outcome, }leaked a window"
    fi
    saver_pid=""
    destroy_hack_window
    if [ -n "$outcome" ]; then
        echo "cycle $cycle ($mode, $way after ${delay_ms} ms): $outcome, status $status: $message" >&2
        [ "$outcome" = crash ] && cp "$work/stderr" "/tmp/veltrane-lifecycle-crash-$cycle.log"
    fi
done

[ "$early" -eq 0 ] || echo "early: $early signals arrived before the process could catch them" >&2
echo "lifecycle: $cycles cycles, crashes $crashes, hangs $hangs, leaked $leaked, nonzero $nonzero"
[ $((crashes + hangs + leaked + nonzero)) -eq 0 ]
