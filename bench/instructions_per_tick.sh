#!/usr/bin/env bash
# Instructions per tick of the headless model, counted by callgrind:
#   veltrane --simulate --time 12:34 --seed 7 --ticks N
# Prints two figures:
#   raw      - total instructions of the 3000-tick run (start-up, digit strip,
#              dump-free report and exit included) divided by 3000;
#   marginal - (Ir(3000 ticks) - Ir(1000 ticks)) / 2000: start-up cancels out,
#              so this is what one more tick of a grown world costs.
#   bench/instructions_per_tick.sh [BUILD_DIR] [TICKS]   (defaults: build/default, 3000)
# VELTRANE_BINARY, when set, is the program counted.
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib/common.sh"
choose_binary "${1:-}"
ticks="${2:-3000}"
short=$((ticks / 3))
command -v valgrind >/dev/null || { echo "valgrind is not installed (Debian package valgrind)" >&2; exit 1; }

scratch="$(mktemp -d)"
at_exit 'rm -rf "$scratch"'

# Total instructions (Ir) of one run.
count() {
    valgrind --tool=callgrind --callgrind-out-file="$scratch/cg.$1" \
        "$BINARY" --simulate --time 12:34 --seed 7 --ticks "$1" --every 0 \
        >/dev/null 2>"$scratch/log.$1"
    sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$scratch/log.$1"
}

long_ir="$(count "$ticks")"
short_ir="$(count "$short")"
awk -v l="$long_ir" -v s="$short_ir" -v t="$ticks" -v u="$short" 'BEGIN {
    printf "instructions: %.0f for %d ticks, %.0f for %d ticks\n", l, t, s, u
    printf "raw:      %.1f k per tick (start-up included)\n", l / t / 1000
    printf "marginal: %.1f k per tick (start-up subtracted)\n", (l - s) / (t - u) / 1000
}'
if [ -n "${KEEP_PROFILE:-}" ]; then
    cp "$scratch/cg.$ticks" "$KEEP_PROFILE"
    echo "profile kept in $KEEP_PROFILE (callgrind_annotate --inclusive=yes $KEEP_PROFILE)"
fi
