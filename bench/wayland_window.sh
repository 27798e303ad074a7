#!/usr/bin/env bash
# The Wayland saver beside the X11 one, on the same machine in one run:
#   bench/wayland_window.sh [SECONDS] [RUNS] [BUILD_DIR]  (defaults: 20, 5, build/default)
# Each run measures, in turn,
#   x11        the window (1024x768) under a private Xvfb (1024x768 screen),
#   wayland    the window (1024x768) under a private headless sway,
#   fullscreen the full screen on that sway's two 1024x768 outputs,
# each for SECONDS, ended by a key: frames per second (VELTRANE_REPORT_FRAMES;
# the full screen's is per output), the saver's CPU (per cent of one core, its
# processes together, start-up included), the server's CPU over the same time,
# the time from start to the first non-black frame (polled: a few ms for X11,
# a screenshot's time, tens of ms, for Wayland) and from the key to the end of
# the process (the input tool's own start-up included; for Wayland, the key
# comes 300 ms after wtype's keyboard, and the clock starts then). It prints
# the median and the range over the runs for every figure.
# VELTRANE_BINARY, when set, is the program measured.
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib/common.sh"
seconds="${1:-20}"
runs="${2:-5}"
choose_binary "${3:-}"
first_frame="$(built bench/x11_first_frame)"
need_tools Xvfb xdotool sway swaymsg grim wtype jq

work="$(mktemp -d /tmp/veltrane-bench-wl-XXXXXX)"
at_exit 'rm -rf "$work"'

start_private_xvfb 1024x768
start_private_sway 1024x768
swaymsg create_output >/dev/null

# Clock ticks the process has used so far (user + system).
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
hz="$(getconf CLK_TCK)"

# True once every saver surface sway shows (at least `want`) has a lit pixel.
wayland_lit() {
    local want="$1" rects rect count=0
    rects="$(swaymsg -r -t get_tree | jq -r '.. | objects | select(.app_id? == "veltrane")
        | "\(.rect.x),\(.rect.y) \(.rect.width)x\(.rect.height)"')"
    while IFS= read -r rect; do
        [ -n "$rect" ] || continue
        # Any byte left after the PPM header and the zeros is a lit pixel.
        [ -n "$(WAYLAND_DISPLAY="$SWAY_DISPLAY" grim -t ppm -g "$rect" - 2>/dev/null |
            tail -n +4 | tr -d '\000' | head -c 1)" ] || return 1
        count=$((count + 1))
    done <<<"$rects"
    [ "$count" -ge "$want" ]
}

# measure KIND: one run; appends "fps cpu server first close" to $work/KIND.
measure() {
    local kind="$1" server args=() pid start first end close
    local -a env=(VELTRANE_REPORT_FRAMES=1)
    case "$kind" in
    x11) server="$XVFB_PID" env+=(DISPLAY="$XVFB_DISPLAY") ;;
    wayland) server="$SWAY_PID" env+=(WAYLAND_DISPLAY="$SWAY_DISPLAY") args=(--wayland) ;;
    fullscreen)
        server="$SWAY_PID" env+=(WAYLAND_DISPLAY="$SWAY_DISPLAY") args=(--wayland --fullscreen) ;;
    esac
    swaymsg seat - cursor set 512 384 >/dev/null
    DISPLAY="$XVFB_DISPLAY" xdotool mousemove 512 384
    local server_before
    server_before="$(ticks "$server")"
    start=$(now_ms)
    env -u WAYLAND_DISPLAY -u DISPLAY "${env[@]}" /usr/bin/time -f 'time %e %U %S' \
        -o "$work/time" "$BINARY" "${args[@]}" 2>"$work/stderr" &
    pid=$!
    if [ "$kind" = x11 ]; then
        DISPLAY="$XVFB_DISPLAY" "$first_frame" 15000 || true
    else
        local want=1
        [ "$kind" = fullscreen ] && want=2
        until wayland_lit "$want" || [ $(($(now_ms) - start)) -gt 15000 ]; do sleep 0.005; done
    fi
    first=$(($(now_ms) - start))
    sleep "$seconds"
    end=$(now_ms)
    if [ "$kind" = x11 ]; then
        DISPLAY="$XVFB_DISPLAY" xdotool key space
    else
        # wtype's keyboard is new: give the saver 300 ms to take it (see
        # typeKey in the tests), and start the clock at the key.
        WAYLAND_DISPLAY="$SWAY_DISPLAY" wtype -s 300 a
        end=$((end + 300))
    fi
    # A saver the key did not end gets SIGTERM after 5 s; its close is "none".
    local waited=0
    while kill -0 "$pid" 2>/dev/null && [ "$waited" -lt 500 ]; do sleep 0.01; waited=$((waited + 1)); done
    close=$(($(now_ms) - end))
    if kill -0 "$pid" 2>/dev/null; then
        close=none
        pkill -TERM -P "$pid" 2>/dev/null
    fi
    wait "$pid" || true
    local server_ticks=$(($(ticks "$server") - server_before))
    local elapsed user system fps
    read -r elapsed user system < <(grep '^time ' "$work/time" | cut -d' ' -f2-)
    # One line per output's process: their mean.
    fps="$(sed -n 's/.*(\([0-9.]*\) per second).*/\1/p' "$work/stderr" |
        awk '{ s += $1; n++ } END { if (n) printf "%.1f", s / n; else print "?" }')"
    awk -v f="$fps" -v u="$user" -v s="$system" -v e="$elapsed" -v t="$server_ticks" \
        -v hz="$hz" -v first="$first" -v closing="$close" \
        'BEGIN { printf "%s %.1f %.1f %d %s\n", f, (u + s) / e * 100, t / hz / e * 100, first, closing }' \
        >>"$work/$kind"
}

for ((run = 1; run <= runs; run++)); do
    for kind in x11 wayland fullscreen; do
        measure "$kind"
        echo "run $run $kind: $(tail -n 1 "$work/$kind")" >&2
    done
done

# median [min-max] of column COLUMN of FILE, over the runs that have a number
summary() {
    sort -n -k"$2" "$1" | awk -v c="$2" '$c ~ /^[0-9.]+$/ { v[++n] = $c } END {
        if (!n) { printf "%7s (%d runs)", "none", NR; exit }
        m = (n % 2) ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
        printf "%7.1f [%s-%s]%s", m, v[1], v[n], n < NR ? " " n "/" NR : "" }'
}
echo "Veltrane, 1024x768, ${seconds} s per run, ${runs} runs, Mesa llvmpipe; median [range]"
printf '%-22s %-22s %-22s %-22s\n' "" "X11 window (Xvfb)" "Wayland window" "Wayland full, 2 outputs"
for row in "frames per second:1" "saver CPU % of core:2" "server CPU % of core:3" \
    "first frame, ms:4" "close after key, ms:5"; do
    printf '%-22s' "${row%%:*}"
    for kind in x11 wayland fullscreen; do printf ' %-22s' "$(summary "$work/$kind" "${row##*:}")"; done
    printf '\n'
done
