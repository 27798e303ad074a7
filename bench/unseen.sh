#!/usr/bin/env bash
# What the saver costs while nobody can see it, beside what it costs while
# seen, in one run on one machine:
#   bench/unseen.sh [--seconds N] [--rounds N] [--reveals N] [--before BINARY]
#                   [--parts LIST] [BUILD_DIR]
# (defaults: 10 s phases, 1 round, 3 reveals, all parts, build/default; about
# 3.5 minutes, twice that with --before). The parts (LIST: comma-separated):
#   sway     a 1024x768 window under a private headless sway 1.7 (one 1024x768
#            output); hidden: the output switched to an empty workspace
#   outputs  the full screen on that sway's two outputs (one more made with
#            create_output); hidden: the second output switched to an empty
#            workspace (sway 1.7's `output X dpms off` fails on a headless
#            output and `power` came with 1.8)
#   x11      a 640x480 window under a private Xvfb (1024x768); hidden: covered
#            by another client's window (xev's, 800x600), mapped and raised
#   kwin     a 1024x768 window under a private headless KWin (one 1024x768
#            output); hidden: minimised by a KWin script loaded over D-Bus
#   mutter   a 1024x768 window under a private headless mutter (two 1024x768
#            monitors); hidden: covered by a zenity window too big for the
#            monitor (mutter has no outside way to minimise or to switch
#            workspace without keys, which would end the saver; its
#            PowerSaveMode changes nothing on virtual monitors)
# Each round of each part runs the saver once per binary (--before BINARY,
# when given, first): visible SECONDS, hidden SECONDS, visible again SECONDS,
# then REVEALS short hide (1 s; 2 s under mutter) and show (1.5 s) cycles.
# While a phase lasts, the CPU time (utime + stime) of the saver's processes
# and of the server is read from /proc/PID/stat once a second; each second is
# one sample of CPU (per cent of one core) and of frames per second, and the
# phase's first and last samples give its mean CPU (10 ms ticks over the whole
# phase, finer than one second's). Left out: the start until 2 s after the
# first frame, and the first second after each change (the change itself);
# under mutter the first 2 s after the cover starts (zenity's start-up).
# Frames are counted where they leave the saver:
#   Wayland  wl_surface.commit requests, as WAYLAND_DEBUG=client prints them
#            with their time; under bench/stderr_by_process, so that each
#            line names the process (the full screen's output) that sent it.
#            Printing them costs the saver a little CPU, the same for both
#            binaries;
#   X11      the saver's PutImage and ShmPutImage requests (how Mesa's
#            software GLX presents a frame), seen through RECORD by
#            bench/x11_record_frames; without that helper, only the frame
#            report's totals.
# The time to the first frame after being shown is from just before the
# command that shows the saver again (swaymsg, the KWin script, unmapping or
# ending the cover) to the first frame sent after it, over the phase's show
# and every reveal; "from the news of it" is the saver's own share: from the
# first wl_callback.done it receives after the command (X11: the first
# VisibilityNotify that is not fully obscured) to its first frame from then
# on, without the server's own delay (for a saver that draws all along this
# says little: it hears of its own requests all the time). Figures are
# medians [min-max] over the samples of all rounds (CPU: the phase's mean
# first); the frame report (VELTRANE_REPORT_FRAMES) gives each run's drawn
# frames and ticks as a check. Parts whose server is missing are skipped.
# VELTRANE_BINARY, when set, is the program measured ("after");
# VELTRANE_BENCH_KEEP=1 keeps the raw logs.
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib/common.sh"

usage() { sed -n '2,5p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }
seconds=10
rounds=1
reveals=3
before=""
parts="sway,outputs,x11,kwin,mutter"
build_dir=""
while [ $# -gt 0 ]; do
    case "$1" in
    --seconds) seconds="${2:?}"; shift 2 ;;
    --rounds) rounds="${2:?}"; shift 2 ;;
    --reveals) reveals="${2:?}"; shift 2 ;;
    --before) before="${2:?}"; shift 2 ;;
    --parts) parts="${2:?}"; shift 2 ;;
    -h | --help) usage ;;
    -*) echo "unknown option $1" >&2; usage ;;
    *) build_dir="$1"; shift ;;
    esac
done
for number in "$seconds" "$rounds"; do
    case "$number" in '' | *[!0-9]* | 0) echo "--seconds and --rounds take a positive number" >&2; exit 2 ;; esac
done
case "$reveals" in '' | *[!0-9]*) echo "--reveals takes a number" >&2; exit 2 ;; esac
[ "$seconds" -ge 3 ] || { echo "--seconds: at least 3" >&2; exit 2; }
choose_binary "$build_dir"
declare -A binary=([after]="$BINARY")
kinds=(after)
if [ -n "$before" ]; then
    [ -x "$before" ] || { echo "--before: no program $before" >&2; exit 2; }
    binary[before]="$(cd "$(dirname "$before")" && pwd)/$(basename "$before")"
    kinds=(before after)
fi
by_process="$(built bench/stderr_by_process)"
record_frames="$(built bench/x11_record_frames 2>/dev/null)" || record_frames=""
need_tools jq

work="$(mktemp -d /tmp/veltrane-bench-unseen-XXXXXX)"
# VELTRANE_BENCH_KEEP=1 keeps the raw logs (samples, frames, WAYLAND_DEBUG) there.
if [ -n "${VELTRANE_BENCH_KEEP:-}" ]; then at_exit 'echo "raw logs kept in $work" >&2'; else at_exit 'rm -rf "$work"'; fi
hz="$(getconf CLK_TCK)"
began=$(now_ms)
skipped=()

now_us() { date +%s%6N; }
sleep_until() { sleep_ms $(($1 - $(now_ms))); }
say() { printf '%s\n' "$*" >&2; }

# The processes read once a second: key -> pid. Keys starting with "saver"
# are the saver's processes (they are also summed as "saver+"), "server" is
# the compositor or X server.
declare -A watch
# sample PHASE: one line "PHASE TIME_US KEY TICKS" per watched process.
sample() {
    local key files=() keys=()
    for key in "${!watch[@]}"; do
        [ -r "/proc/${watch[$key]}/stat" ] || continue
        files+=("/proc/${watch[$key]}/stat")
        keys+=("$key")
    done
    [ ${#files[@]} -gt 0 ] || return 0
    awk -v phase="$1" -v t="$(now_us)" -v keys="${keys[*]}" \
        'BEGIN { split(keys, k, " ") }
         { sub(/^.*\) /, ""); printf "%s %s %s %.0f\n", phase, t, k[NR], $12 + $13 }' \
        "${files[@]}" >>"$run/samples" 2>/dev/null || true
}

# phase NAME [SETTLE]: SECONDS of samples, the first SETTLE (default 1)
# seconds after now left out.
phase() {
    local start i
    start=$(now_ms)
    for ((i = 1; i <= seconds; i++)); do
        sleep_until $((start + i * 1000))
        [ "$i" -ge "${2:-1}" ] && sample "$1"
    done
}

# shown KEY: notes the moment the saver's KEY (its window or an output) is
# shown again; the first frame of KEY after it is timed.
shown() { echo "$(now_us) $1" >>"$run/reveals"; }

# cycle PART KIND ROUND: one run of KIND's binary under PART's functions
# PART_start BINARY, PART_hide, PART_show, PART_stop, which set watch, write
# $run/frames ("TIME_US KEY") and name the hidden KEY in $hidden.
cycle() {
    local part="$1" kind="$2" settle="${hide_settle:-1}" r
    run="$work/$part/$kind.$3"
    mkdir -p "$run"
    : >"$run/samples"
    : >"$run/reveals"
    watch=()
    say "$part: $kind, round $3"
    "${part}_start" "${binary[$kind]}"
    sleep_ms 2000
    phase visible
    "${part}_hide"
    phase hidden "$settle"
    shown "$hidden"
    "${part}_show"
    phase shown
    for ((r = 1; r <= reveals; r++)); do
        "${part}_hide"
        sleep_ms $((settle > 1 ? settle * 1000 : 1000))
        shown "$hidden"
        "${part}_show"
        sleep_ms 1500
    done
    "${part}_stop"
}

# values RUN: "PHASE METRIC VALUE" lines of one run:
#   cpu:KEY   per cent of one core, one per second of the phase
#   mean:KEY  per cent of one core over the whole phase (its first to last sample)
#   fps:KEY   frames per second of KEY, one per second of the phase
#   ms:KEY    (phase "reveal") ms from being shown to KEY's first frame
#   told:KEY  (phase "reveal") ms from the first event the server sent KEY
#             after that (the news) to KEY's first frame from then on
values() {
    awk -v hz="$hz" '
    FILENAME ~ /samples$/ {
        p = $1; t = $2; key = $3
        if ((p, key) in lastT) {
            dt = (t - lastT[p, key]) / 1e6
            print p, "cpu:" key, ($4 - lastTicks[p, key]) / hz / dt * 100
        }
        if (!((p, key) in firstT)) { firstT[p, key] = t; firstTicks[p, key] = $4; pkeys[p, key] = 1 }
        lastT[p, key] = t; lastTicks[p, key] = $4
        if (key ~ /^saver/) tree[p, t] += $4
        if (!((p, t) in seen)) { seen[p, t] = 1; times[p, ++count[p]] = t; phases[p] = 1 }
        next
    }
    FILENAME ~ /frames$/ { ft[++nf] = $1; fk[nf] = $2; fkeys[$2] = 1; next }
    FILENAME ~ /reveals$/ { rt[++nr] = $1; rk[nr] = $2; next }
    FILENAME ~ /events$/ { et[++ne] = $1; ek[ne] = $2; next }
    END {
        # The whole phase at once: finer than one second of 10 ms ticks.
        for (pk in pkeys) {
            split(pk, part, SUBSEP)
            dt = (lastT[pk] - firstT[pk]) / 1e6
            if (dt > 0) print part[1], "mean:" part[2], (lastTicks[pk] - firstTicks[pk]) / hz / dt * 100
        }
        for (p in phases) {
            a = times[p, 1]; b = times[p, count[p]]; dt = (b - a) / 1e6
            if (dt > 0) print p, "mean:saver+", (tree[p, b] - tree[p, a]) / hz / dt * 100
        }
        for (p in phases)
            for (i = 1; i < count[p]; i++) {
                a = times[p, i]; b = times[p, i + 1]; dt = (b - a) / 1e6
                print p, "cpu:saver+", (tree[p, b] - tree[p, a]) / hz / dt * 100
                for (k in fkeys) {
                    n = 0
                    for (f = 1; f <= nf; f++) if (fk[f] == k && ft[f] >= a && ft[f] < b) n++
                    print p, "fps:" k, n / dt
                }
            }
        for (r = 1; r <= nr; r++) {
            best = -1
            for (f = 1; f <= nf; f++)
                if (fk[f] == rk[r] && ft[f] > rt[r] && (best < 0 || ft[f] < best)) best = ft[f]
            print "reveal", "ms:" rk[r], best < 0 ? "none" : (best - rt[r]) / 1000
            # From the first thing the server told the saver after the show.
            told = -1
            for (e = 1; e <= ne; e++)
                if (ek[e] == rk[r] && et[e] > rt[r] && (told < 0 || et[e] < told)) told = et[e]
            if (told < 0) continue
            best = -1
            for (f = 1; f <= nf; f++)
                if (fk[f] == rk[r] && ft[f] >= told && (best < 0 || ft[f] < best)) best = ft[f]
            print "reveal", "told:" rk[r], best < 0 ? "none" : (best - told) / 1000
        }
    }' "$1/samples" "$1/frames" "$1/reveals" "$1/events"
}

# summarise PART: "KIND PHASE METRIC median min max count" over every round.
summarise() {
    local kind
    for kind in "${kinds[@]}"; do
        cat "$work/$1/$kind".*/values 2>/dev/null | awk -v kind="$kind" '
        { key = $1 " " $2; if ($3 == "none") { missing[key]++; keys[key] = 1; next }
          v[key, ++n[key]] = $3 + 0; keys[key] = 1 }
        END {
            for (key in keys) {
                m = n[key]
                for (i = 2; i <= m; i++) {      # insertion sort: a few dozen values
                    x = v[key, i]
                    for (j = i - 1; j >= 1 && v[key, j] > x; j--) v[key, j + 1] = v[key, j]
                    v[key, j + 1] = x
                }
                if (!m) { print kind, key, "none", "-", "-", missing[key] + 0; continue }
                med = (m % 2) ? v[key, (m + 1) / 2] : (v[key, m / 2] + v[key, m / 2 + 1]) / 2
                print kind, key, med, v[key, 1], v[key, m], m, missing[key] + 0
            }
        }'
    done >"$work/$1/summary"
}

# figure PART PHASE METRIC KIND [short]: "median [min-max]" (only the median
# when short is asked for), for times also the count of samples; "+N none"
# for shows after which no frame came; "-" when there is no such figure.
figure() {
    awk -v kind="$4" -v p="$2" -v m="$3" -v short="${5:-}" '
    $1 == kind && $2 == p && $3 == m {
        found = 1
        if ($4 == "none") { printf "none (%d)", $7; exit }
        fmt = m ~ /^(ms|told):/ ? "%.0f" : "%.1f"
        if (short) { printf fmt, $4; exit }
        printf fmt " [" fmt "-" fmt "]", $4, $5, $6
        if (m ~ /^(ms|told):/) printf " n=%d", $7
        if ($8 > 0) printf " +%d none", $8
        exit
    }
    END { if (!found) printf "-" }' "$work/$1/summary"
}

# cell PART PHASE METRIC KIND: a figure; CPU as the whole phase's mean, with
# its per-second samples' median [min-max] after it.
cell() {
    case "$3" in
    cpu:*) printf '%s (%s)' "$(figure "$1" "$2" "mean:${3#cpu:}" "$4" short)" "$(figure "$@")" ;;
    *) figure "$@" ;;
    esac
}

# table PART ROW...: ROW is "LABEL|PHASE|METRIC"; one column per binary.
table() {
    local part="$1" row label phase metric kind
    shift
    printf '  %-40s' ""
    for kind in "${kinds[@]}"; do printf ' %-34s' "$kind"; done
    printf '\n'
    for row in "$@"; do
        IFS='|' read -r label phase metric <<<"$row"
        printf '  %-40s' "$label"
        for kind in "${kinds[@]}"; do printf ' %-34s' "$(cell "$part" "$phase" "$metric" "$kind")"; done
        printf '\n'
    done
}

# reports PART: each run's frame report, "drawn/ticks" per process.
reports() {
    local kind file
    for kind in "${kinds[@]}"; do
        printf '  frame report, %s:' "$kind"
        for file in "$work/$1/$kind".*/report; do
            [ -s "$file" ] && printf ' %s;' "$(tr '\n' ' ' <"$file" | sed 's/ $//')"
        done
        printf '\n'
    done
}

# frame_report STDERR [PIDS]: "drawn/ticks" of each report line in STDERR
# (just "drawn" from a program that does not count ticks), after the key of
# the process that printed it when PIDS ("PID KEY") names it.
frame_report() {
    awk 'NR == FNR && FILENAME != stderr { key[$1] = $2; next }
        /veltrane: [0-9]+ frames in / || /veltrane: no frames drawn/ {
            drawn = 0; ticks = ""
            for (i = 1; i <= NF; i++) {
                if ($i == "frames" && $(i + 1) == "in") drawn = $(i - 1)
                if ($i == "ticks") ticks = "/" $(i - 1)
            }
            printf "%s%s%s\n", ($1 in key) ? key[$1] ":" : "", drawn, ticks
        }' stderr="$1" "${2:-/dev/null}" "$1"
}

# --- Wayland: the saver under stderr_by_process, with WAYLAND_DEBUG ----------

# wayland_launch BINARY DISPLAY ARGS...: starts the saver; sets wrapper and
# saver_pid, and notes the run's start for wayland_frames.
wayland_launch() {
    local bin="$1" display="$2"
    shift 2
    now_us >"$run/t0"
    env -u DISPLAY WAYLAND_DISPLAY="$display" WAYLAND_DEBUG=client VELTRANE_REPORT_FRAMES=1 \
        "$by_process" "$bin" "$@" >"$run/stderr" &
    wrapper=$!
    saver_pid=""
    poll 5000 wrapper_child || { echo "the saver did not start" >&2; return 1; }
    poll 15000 grep -q 'wl_surface@[0-9]*\.commit' "$run/stderr" ||
        { echo "the saver sent no frame" >&2; return 1; }
}
wrapper_child() { saver_pid="$(pgrep -P "$wrapper" | head -n1)"; [ -n "$saver_pid" ]; }

# wayland_stop: ends the saver (SIGTERM, passed on), then turns the commits of
# the processes named in $run/pids ("PID KEY") into $run/frames.
wayland_stop() {
    kill -TERM "$wrapper" 2>/dev/null || true
    wait "$wrapper" || true
    # libwayland prints CLOCK_REALTIME's microseconds modulo 2^32 as ms.us;
    # a request is "PID [ms.us]  -> object.request(...)", an event the same
    # without the arrow. The news of being shown is a wl_callback.done: a
    # gated saver waits for its frame callback's.
    awk -v t0="$(cat "$run/t0")" -v frames="$run/frames" -v events="$run/events" '
        function when(field, us, full) {
            us = int(substr(field, 2, length(field) - 2) * 1000 + 0.5)
            full = t0 - (t0 % 4294967296) + us
            return full < t0 - 1e6 ? full + 4294967296 : full
        }
        NR == FNR { key[$1] = $2; next }
        !($1 in key) || $2 !~ /^\[[0-9.]+\]$/ { next }
        $3 == "->" && $4 ~ /^wl_surface@[0-9]+\.commit\(\)$/ { printf "%.0f %s\n", when($2), key[$1] >frames }
        $3 ~ /^wl_callback@[0-9]+\.done\(/ { printf "%.0f %s\n", when($2), key[$1] >events }' "$run/pids" "$run/stderr"
    touch "$run/frames" "$run/events"
    frame_report "$run/stderr" "$run/pids" >"$run/report"
    values "$run" >"$run/values"
}

# --- sway: a window, and the full screen on two outputs -----------------------

sway_ready=""
need_sway() {
    [ -n "$sway_ready" ] && return 0
    start_private_sway 1024x768
    sway_ready=1
}

# The veltrane views sway shows, "PID OUTPUT" each.
sway_views() {
    swaymsg -r -t get_tree | jq -r '.nodes[] | .name as $output | .. | objects
        | select(.app_id? == "veltrane") | "\(.pid) \($output)"'
}
sway_has() { [ "$(sway_views | wc -l)" -ge "$1" ]; }
focused_workspace() { swaymsg -r -t get_workspaces | jq -r '.[] | select(.focused) | .name'; }

sway_start() {
    wayland_launch "$1" "$SWAY_DISPLAY" --wayland
    poll 15000 sway_has 1 || { echo "no saver window in sway" >&2; return 1; }
    echo "$saver_pid window" >"$run/pids"
    watch=([saver]="$saver_pid" [server]="$SWAY_PID")
    hidden=window
    shown_workspace="$(focused_workspace)"
}
sway_hide() { swaymsg workspace 9 >/dev/null; }
sway_show() { swaymsg workspace "$shown_workspace" >/dev/null; }
sway_stop() { wayland_stop; }

outputs_start() {
    wayland_launch "$1" "$SWAY_DISPLAY" --wayland --fullscreen
    poll 15000 sway_has 2 || { echo "no full-screen saver on both outputs" >&2; return 1; }
    sway_views >"$run/pids"
    watch=([saver]="$saver_pid" [server]="$SWAY_PID")
    local pid output
    while read -r pid output; do watch["saver:$output"]="$pid"; done <"$run/pids"
    hidden="$(swaymsg -r -t get_outputs | jq -r '.[1].name')"
    echo "$hidden" >"$run/hidden"
    shown_workspace="$(swaymsg -r -t get_outputs | jq -r '.[1].current_workspace')"
}
outputs_hide() { swaymsg "focus output $hidden; workspace 19" >/dev/null; }
outputs_show() { swaymsg "focus output $hidden; workspace $shown_workspace" >/dev/null; }
outputs_stop() { wayland_stop; }

# --- KWin: minimised by a script ----------------------------------------------

kwin_dir=""
stop_kwin() { [ -n "$kwin_dir" ] && "$ROOT/scripts/lib/headless-kwin" stop "$kwin_dir"; kwin_dir=""; }
# kwin_script FILE UNLOAD: loads FILE as a KWin script and starts it, after
# unloading the script UNLOAD (a name) if it is loaded. KWin reads a script's
# file on a worker thread and runs it later, so a script is unloaded only at
# the next change, never right after its start (that can cancel it).
kwin_script() {
    local bus
    bus="$(cat "$kwin_dir/bus")"
    dbus-send --bus="$bus" --print-reply --dest=org.kde.KWin /Scripting \
        org.kde.kwin.Scripting.unloadScript "string:veltrane-$2" >/dev/null
    dbus-send --bus="$bus" --print-reply --dest=org.kde.KWin /Scripting \
        org.kde.kwin.Scripting.loadScript "string:$work/$1.js" "string:veltrane-$1" >/dev/null
    dbus-send --bus="$bus" --print-reply --dest=org.kde.KWin /Scripting \
        org.kde.kwin.Scripting.start >/dev/null
}
kwin_start() {
    wayland_launch "$1" "$kwin_display" --wayland
    echo "$saver_pid window" >"$run/pids"
    watch=([saver]="$saver_pid" [server]="$kwin_pid")
    hidden=window
}
kwin_hide() { kwin_script minimise restore; }
kwin_show() { kwin_script restore minimise; }
kwin_stop() { wayland_stop; }

# --- mutter: covered by zenity --------------------------------------------------

mutter_dir=""
cover_pid=""
stop_mutter() { [ -n "$mutter_dir" ] && "$ROOT/scripts/lib/headless-mutter" stop "$mutter_dir"; mutter_dir=""; }
mutter_start() {
    wayland_launch "$1" "$mutter_display" --wayland
    echo "$saver_pid window" >"$run/pids"
    watch=([saver]="$saver_pid" [server]="$mutter_pid")
    hidden=window
}
mutter_hide() {
    env -i PATH=/usr/bin:/bin HOME="$mutter_dir" XDG_RUNTIME_DIR="$mutter_dir" \
        WAYLAND_DISPLAY="$mutter_display" DBUS_SESSION_BUS_ADDRESS="$mutter_bus" \
        GDK_BACKEND=wayland NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory \
        zenity --text-info --title cover --width 1400 --height 1000 </dev/null >/dev/null 2>&1 &
    cover_pid=$!
}
mutter_show() {
    kill -TERM "$cover_pid" 2>/dev/null || true
    wait "$cover_pid" 2>/dev/null || true
    cover_pid=""
}
mutter_stop() { [ -z "$cover_pid" ] || mutter_show; wayland_stop; }

# --- X11: covered by another window ---------------------------------------------

x11_start() {
    now_us >"$run/t0"
    recorder=""
    if [ -n "$record_frames" ]; then
        DISPLAY="$XVFB_DISPLAY" "$record_frames" >"$run/requests" 2>"$run/recorder" &
        recorder=$!
        poll 5000 grep -q ready "$run/recorder" || { echo "RECORD did not start" >&2; return 1; }
    fi
    env -u WAYLAND_DISPLAY DISPLAY="$XVFB_DISPLAY" VELTRANE_REPORT_FRAMES=1 \
        "$1" --x11 --geometry 640x480+0+0 2>"$run/stderr" &
    saver_pid=$!
    [ -z "$recorder" ] || poll 15000 grep -q PutImage "$run/requests" ||
        { echo "the saver sent no frame" >&2; return 1; }
    watch=([saver]="$saver_pid" [server]="$XVFB_PID")
    hidden=window
    cover=""
}
x11_hide() {
    if [ -z "$cover" ]; then
        DISPLAY="$XVFB_DISPLAY" xev -geometry 800x600+0+0 -name veltrane-cover >/dev/null 2>&1 &
        cover_pid=$!
        cover="$(DISPLAY="$XVFB_DISPLAY" xdotool search --sync --name "^veltrane-cover$" | head -n1)"
    fi
    DISPLAY="$XVFB_DISPLAY" xdotool windowmap "$cover" windowraise "$cover"
}
x11_show() { DISPLAY="$XVFB_DISPLAY" xdotool windowunmap "$cover"; }
x11_stop() {
    kill -TERM "$saver_pid" 2>/dev/null || true
    wait "$saver_pid" || true
    kill -TERM "$cover_pid" 2>/dev/null || true
    wait "$cover_pid" 2>/dev/null || true
    if [ -n "$recorder" ]; then
        kill -TERM "$recorder" 2>/dev/null || true
        wait "$recorder" || true
        # The saver draws on one connection and hears of its window on
        # another: its frames are the images, its news the VisibilityNotify
        # events of the client whose window gets fully obscured (the cover's
        # never is).
        awk -v frames="$run/frames" -v events="$run/events" '
            NR == FNR { if ($3 == "VisibilityNotify" && $4 == 2) covered[$2] = 1; next }
            $3 ~ /PutImage$/ { print $1, "window" >frames }
            $3 == "VisibilityNotify" && $4 != 2 && ($2 in covered) { print $1, "window" >events }' \
            "$run/requests" "$run/requests"
        touch "$run/frames" "$run/events"
    else
        : >"$run/frames"
        : >"$run/events"
    fi
    frame_report "$run/stderr" >"$run/report"
    values "$run" >"$run/values"
}

# --- the parts ----------------------------------------------------------------

cat >"$work/minimise.js" <<'EOF'
workspace.clientList().forEach(function (c) {
    if (String(c.resourceClass) == "veltrane") c.minimized = true;
});
EOF
cat >"$work/restore.js" <<'EOF'
workspace.clientList().forEach(function (c) {
    if (String(c.resourceClass) == "veltrane") { c.minimized = false; workspace.activeClient = c; }
});
EOF

# rounds_of PART: every round, each binary in turn.
rounds_of() {
    local round kind
    for ((round = 1; round <= rounds; round++)); do
        for kind in "${kinds[@]}"; do cycle "$1" "$kind" "$round"; done
    done
    summarise "$1"
}

wanted() { [[ ",$parts," == *",$1,"* ]]; }
load_start="$(cut -d' ' -f1-3 /proc/loadavg)"

if wanted sway || wanted outputs; then
    if command -v sway >/dev/null && command -v swaymsg >/dev/null; then
        need_sway
        wanted sway && rounds_of sway
        if wanted outputs; then
            swaymsg create_output >/dev/null
            rounds_of outputs
        fi
        stop_private_sway
    else
        skipped+=("sway and outputs: sway is not installed")
    fi
fi

if wanted x11; then
    if command -v Xvfb >/dev/null && command -v xdotool >/dev/null && command -v xev >/dev/null; then
        start_private_xvfb 1024x768
        rounds_of x11
        stop_private_xvfb
    else
        skipped+=("x11: Xvfb, xdotool and xev (x11-utils) are needed")
    fi
fi

if wanted kwin; then
    if started="$("$ROOT/scripts/lib/headless-kwin" 1024x768 1 2>"$work/kwin.err")"; then
        kwin_display="$(sed -n 's/^WAYLAND_DISPLAY=//p' <<<"$started")"
        kwin_pid="$(sed -n 's/^KWIN_PID=//p' <<<"$started")"
        kwin_dir="$(sed -n 's/^KWIN_DIR=//p' <<<"$started")"
        at_exit stop_kwin
        rounds_of kwin
        stop_kwin
    else
        skipped+=("kwin: $(head -n1 "$work/kwin.err")")
    fi
fi

if wanted mutter; then
    if ! command -v zenity >/dev/null; then
        skipped+=("mutter: zenity, the cover, is not installed")
    elif started="$("$ROOT/scripts/lib/headless-mutter" 1024x768 2>"$work/mutter.err")"; then
        mutter_display="$(sed -n 's/^WAYLAND_DISPLAY=//p' <<<"$started")"
        mutter_bus="$(sed -n 's/^DBUS_SESSION_BUS_ADDRESS=//p' <<<"$started")"
        mutter_pid="$(sed -n 's/^MUTTER_PID=//p' <<<"$started")"
        mutter_dir="$(sed -n 's/^MUTTER_DIR=//p' <<<"$started")"
        at_exit stop_mutter
        hide_settle=2 rounds_of mutter
        stop_mutter
    else
        skipped+=("mutter: $(head -n1 "$work/mutter.err")")
    fi
fi

# --- the figures ----------------------------------------------------------------

echo "Veltrane unseen: ${seconds} s phases, ${rounds} round(s), ${reveals} reveal(s) per run, Mesa llvmpipe, $(nproc) cores"
echo "CPU in per cent of one core: the phase's mean (/proc ticks of 10 ms over the whole phase;"
echo "the median over rounds), then (median [min-max] of its 1-s samples); frames/s and times:"
echo "median [min-max] of the 1-s samples of all rounds"
for kind in "${kinds[@]}"; do echo "  $kind: ${binary[$kind]}"; done
echo "  load average at the start: $load_start, at the end: $(cut -d' ' -f1-3 /proc/loadavg); the run took $((($(now_ms) - began) / 1000)) s"

# window_table PART SERVER FRAMES-HOW
window_table() {
    table "$1" \
        "visible: saver CPU|visible|cpu:saver" "visible: $2 CPU|visible|cpu:server" \
        "visible: frames/s|visible|fps:window" \
        "hidden: saver CPU|hidden|cpu:saver" "hidden: $2 CPU|hidden|cpu:server" \
        "hidden: frames/s|hidden|fps:window" \
        "shown again: saver CPU|shown|cpu:saver" "shown again: $2 CPU|shown|cpu:server" \
        "shown again: frames/s|shown|fps:window" \
        "first frame after the show command, ms|reveal|ms:window" \
        "  from the news of it, ms|reveal|told:window"
    reports "$1"
}

if [ -s "$work/sway/summary" ]; then
    echo
    echo "1. sway 1.7 headless, a 1024x768 window on one 1024x768 output; hidden: the output on"
    echo "   an empty workspace; frames: wl_surface commits (WAYLAND_DEBUG=client)"
    window_table sway sway
fi
if [ -s "$work/outputs/summary" ]; then
    first="$work/outputs/${kinds[0]}.1"
    h="$(cat "$first/hidden")"
    v="$(awk -v h="$h" '$2 != h { print $2; exit }' "$first/pids")"
    echo
    echo "2. sway 1.7 headless, the full screen on two 1024x768 outputs ($v, $h), one process"
    echo "   each; hidden: $h on an empty workspace, $v stays shown; frames: commits per process"
    rows=()
    for p in visible hidden shown; do
        l="$p"
        [ "$p" = shown ] && l="shown again"
        rows+=("$l: saver CPU (all processes)|$p|cpu:saver+" "$l: $v process CPU|$p|cpu:saver:$v"
            "$l: $h process CPU|$p|cpu:saver:$h" "$l: sway CPU|$p|cpu:server"
            "$l: $v frames/s|$p|fps:$v" "$l: $h frames/s|$p|fps:$h")
    done
    table outputs "${rows[@]}" "first frame after the show command, ms|reveal|ms:$h" \
        "  from the news of it, ms|reveal|told:$h"
    reports outputs
fi
if [ -s "$work/x11/summary" ]; then
    echo
    echo "3. X11, a 640x480 window under Xvfb (1024x768); hidden: covered by an 800x600 window;"
    if [ -n "$record_frames" ]; then
        echo "   frames: the saver's PutImage/ShmPutImage requests (RECORD)"
    else
        echo "   frames: not counted per phase (no x11_record_frames: build it; needs libxtst-dev)"
    fi
    window_table x11 Xvfb
fi
if [ -s "$work/kwin/summary" ]; then
    echo
    echo "4a. KWin 5.27 headless (--virtual), a 1024x768 window on one 1024x768 output; hidden:"
    echo "    minimised by a KWin script (D-Bus org.kde.kwin.Scripting); frames: commits"
    window_table kwin KWin
fi
if [ -s "$work/mutter/summary" ]; then
    echo
    echo "4b. mutter 43 headless, a 1024x768 window (two 1024x768 virtual monitors); hidden:"
    echo "    covered by a zenity window larger than the monitor (2 s left out for its start);"
    echo "    frames: commits"
    window_table mutter mutter
fi
for reason in "${skipped[@]}"; do echo "skipped: $reason"; done
