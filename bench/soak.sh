#!/usr/bin/env bash
# bench/soak.sh [TICKS]: runs the growth model for TICKS ticks (default
# 2 880 000, a whole day of saver time) on the virtual timer with a virtual day
# clock (--simulate --from 00:00: 30 ms per tick, so every minute, hour and
# midnight rolls over as on a real day), samples the process's resident set
# from /proc and the live objects from the progress lines, and ends with
# exactly one line:
#   soak: N ticks, rss_kb start A end B max C, objects max D, us_per_tick median E
# Exits non-zero when the run fails or when the resident set grows by more than
# 10 % after the warm-up (the first tenth of the run).
# VELTRANE_BINARY, when set, is the program run; else build/default's, built
# first when it is missing.
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib/common.sh"

ticks="${1:-2880000}"
if ! [[ "$ticks" =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: bench/soak.sh [TICKS]" >&2
    exit 1
fi
if [ -z "${VELTRANE_BINARY:-}" ] && [ ! -x "$(program_in "$ROOT/build/default")" ]; then
    cmake --preset default -S "$ROOT" >/dev/null
    cmake --build --preset default -j 2 --target veltrane >/dev/null
fi
choose_binary

# About a hundred samples, whatever the length.
every=$((ticks / 100))
[ "$every" -ge 1 ] || every=1
warmup=$((ticks / 10))

exec 3< <(exec "$BINARY" --simulate --from 00:00 --seed 1 --ticks "$ticks" --every "$every")
pid=$!

rss_of() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null || true; }

rss_start="" rss_end="" rss_max=0 baseline="" after_max=0 objects_max=0 last_tick=0
speeds=()
while read -r -a f <&3; do
    # tick N guides G points P strokes created C growing R withering W events E us/tick U
    [ "${f[0]:-}" = tick ] || continue
    last_tick="${f[1]}"
    objects=$((f[3] + f[5] + f[8] + f[10] + f[12]))
    [ "$objects" -gt "$objects_max" ] && objects_max="$objects"
    speeds+=("${f[16]}")
    rss="$(rss_of "$pid")"
    [ -n "$rss" ] || continue
    [ -n "$rss_start" ] || rss_start="$rss"
    rss_end="$rss"
    [ "$rss" -gt "$rss_max" ] && rss_max="$rss"
    if [ "$last_tick" -ge "$warmup" ]; then
        [ -n "$baseline" ] || baseline="$rss"
        [ "$rss" -gt "$after_max" ] && after_max="$rss"
    fi
done
status=0
wait "$pid" || status=$?

median="$(printf '%s\n' "${speeds[@]:-0}" | sort -g | awk '{ v[NR] = $1 } END {
    if (NR == 0) { print 0; exit }
    if (NR % 2) print v[(NR + 1) / 2]; else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }')"
echo "soak: $ticks ticks, rss_kb start ${rss_start:-0} end ${rss_end:-0} max $rss_max, objects max $objects_max, us_per_tick median $median"

if [ "$status" -ne 0 ]; then
    echo "soak: veltrane exited with status $status" >&2
    exit 1
fi
if [ "$last_tick" -ne $((ticks / every * every)) ]; then
    echo "soak: the run stopped at tick $last_tick" >&2
    exit 1
fi
if [ -n "$baseline" ] && [ $((after_max * 10)) -gt $((baseline * 11)) ]; then
    echo "soak: the resident set grew from $baseline kB after the warm-up to $after_max kB" >&2
    exit 1
fi
