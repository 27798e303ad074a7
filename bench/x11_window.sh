#!/usr/bin/env bash
# Runs the saver in window mode (1024x768) under a private Xvfb for a while and
# prints the ticks per second it achieved, the CPU it used (per cent of one
# core) and its peak resident set size.
#   bench/x11_window.sh [SECONDS] [BUILD_DIR] [SAVER OPTIONS...]
#                                              (defaults: 60, build/default)
# e.g. `bench/x11_window.sh 60 build/default --fps` for the overlay's cost.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-60}"
build="${2:-$ROOT/build/default}"
shift $(( $# > 2 ? 2 : $# ))
saver_args=("$@")
binary="$build/host/linux/veltrane"
[ -x "$binary" ] || { echo "no $binary: build the default preset first" >&2; exit 1; }

for n in $(seq 131 170); do
    [ ! -e "/tmp/.X${n}-lock" ] && [ ! -e "/tmp/.X11-unix/X${n}" ] && break
done
Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X${n}" ] && break; sleep 0.1; done
export DISPLAY=":$n"

report="$(mktemp)"
frames="$(mktemp)"
# timeout ends the run with SIGTERM, which the saver treats as a normal close;
# GNU time reports the saver's own figures through timeout's wait.
VELTRANE_REPORT_FRAMES=1 /usr/bin/time -f 'time %e %U %S %M' -o "$report" \
    timeout -s TERM "$seconds" "$binary" "${saver_args[@]}" 2>"$frames" || true
cat "$frames" >&2
read -r elapsed user system rss < <(grep '^time ' "$report" | cut -d' ' -f2-)
rate="$(sed -n 's/.*(\([0-9.]*\) per second).*/\1/p' "$frames")"
rm -f "$report" "$frames"
cpu="$(awk -v u="$user" -v s="$system" -v e="$elapsed" 'BEGIN { printf "%.1f", (u + s) / e * 100 }')"
echo "window mode 1024x768 ${saver_args[*]}, ${seconds} s under Xvfb (Mesa llvmpipe)"
echo "ticks per second: ${rate:-?}"
echo "CPU: ${cpu}% of one core"
echo "peak RSS: $((rss / 1024)) MiB (${rss} KiB)"
