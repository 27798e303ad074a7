#!/usr/bin/env bash
# Runs the saver in window mode (1024x768) under a private Xvfb for a while and
# prints the ticks per second it achieved, the CPU it used (per cent of one
# core) and its peak resident set size.
#   bench/x11_window.sh [SECONDS] [BUILD_DIR] [SAVER OPTIONS...]
#                                              (defaults: 60, build/default)
# e.g. `bench/x11_window.sh 60 build/default --fps` for the overlay's cost.
# VELTRANE_BINARY, when set, is the program measured.
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib/common.sh"
seconds="${1:-60}"
choose_binary "${2:-}"
shift $(($# > 2 ? 2 : $#))
saver_args=("$@")

start_private_xvfb
export DISPLAY="$XVFB_DISPLAY"
# Window mode picks a Wayland compositor when one answers: not the desktop's.
unset WAYLAND_DISPLAY

report="$(mktemp)"
frames="$(mktemp)"
# timeout ends the run with SIGTERM, which the saver treats as a normal close;
# GNU time reports the saver's own figures through timeout's wait.
VELTRANE_REPORT_FRAMES=1 /usr/bin/time -f 'time %e %U %S %M' -o "$report" \
    timeout -s TERM "$seconds" "$BINARY" "${saver_args[@]}" 2>"$frames" || true
cat "$frames" >&2
read -r elapsed user system rss < <(grep '^time ' "$report" | cut -d' ' -f2-)
rate="$(sed -n 's/.*(\([0-9.]*\) per second).*/\1/p' "$frames")"
rm -f "$report" "$frames"
cpu="$(awk -v u="$user" -v s="$system" -v e="$elapsed" 'BEGIN { printf "%.1f", (u + s) / e * 100 }')"
echo "window mode 1024x768 ${saver_args[*]}, ${seconds} s under Xvfb (Mesa llvmpipe)"
echo "ticks per second: ${rate:-?}"
echo "CPU: ${cpu}% of one core"
echo "peak RSS: $((rss / 1024)) MiB (${rss} KiB)"
