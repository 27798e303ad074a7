#!/usr/bin/env bash
# Starts and ends the saver many times under a private server, the way a
# daemon, a compositor and their users do, and counts what went wrong:
#   bench/lifecycle.sh [CYCLES] [BINARY]            the X11 saver under Xvfb
#                                                   (bench/lifecycle/x11.sh)
#   bench/lifecycle.sh --wayland [CYCLES] [BINARY]  the Wayland saver under a
#                       headless sway (bench/lifecycle/wayland.sh)
#   bench/lifecycle.sh --idle [CYCLES] [BINARY]     the idle watcher and the
#                       saver it shows under a headless sway
#                       (bench/lifecycle/idle.sh)
# CYCLES defaults to 200 for X11, 100 for Wayland, 20 for the idle watcher
# (each of its cycles waits out an idle period). BINARY, when given, is
# taken as VELTRANE_BINARY is, e.g.
#   VELTRANE_BINARY=build/asan/host/app/veltrane bench/lifecycle.sh 200
# Each cycle runs one of the host's modes and ends it at a random moment from
# 0 to 4 s in one of the ways that mode can end, cycling through every
# combination. It ends with
#   lifecycle: N cycles, crashes C, hangs H, leaked L, nonzero Z
# ("lifecycle (wayland): ...", "lifecycle (idle watcher): ..." for the
# others).
# crash: death by a signal other than the one sent, or a sanitizer report;
# hang: still running 5 s after the end; leaked: a process of the run, or a
# saver window or surface, left behind; nonzero: an exit status the way of
# ending does not explain (0 for all of them; the host names its exceptions).
# Death by the signal sent counts as nonzero too, unless the signal arrived
# before the process had installed any handler for it (read from /proc just
# before sending); those are reported apart as "early".
# The exit status is 1 if any count but the cycles is non-zero, 2 when the
# benchmark itself cannot run.
#
# A host part defines, for this loop:
#   NAME SUMMARY DEFAULT_CYCLES  its files' prefix, its summary's label, its
#                                default length
#   COMBOS                       mode:way pairs, in the order they take turns
#   LINGER_MS                    how long the run's processes may outlive it
#   host_check                   finds its tools and helper programs
#   host_up                      starts its server unless one is up
#   host_prepare MODE            sets ARGS and ENVIRONMENT of the run
#   host_wait MODE WAY DELAY_MS  returns at the moment to end the run
#   host_end WAY                 ends the run WAY (SIGTERM and SIGINT are
#                                sent here)
#   host_excuses WAY STATUS MESSAGE  true when WAY explains exit status STATUS
#   host_complaint STDERR        prints what went wrong in a run that ended
#                                as it should (a saver the idle watcher saw
#                                fail), and succeeds, if anything; counted as
#                                nonzero. Optional: nothing by default.
#   host_leftover                prints what of the run the server still
#                                shows, and succeeds, if anything
#   host_after_cycle, host_cleanup
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib/common.sh"
set +e # every status is judged below
trap '' PIPE # a helper that died with its server must not take the script along

host=x11
case "${1:-}" in
--wayland | --idle)
    host="${1#--}"
    shift
    ;;
esac
host_complaint() { return 1; }
# shellcheck source=/dev/null # the host part, chosen above
source "$ROOT/bench/lifecycle/$host.sh"
cycles="${1:-$DEFAULT_CYCLES}"
case "$cycles" in '' | *[!0-9]*) echo "usage: $0 [--wayland | --idle] [CYCLES] [BINARY]" >&2; exit 2 ;; esac
[ -n "${2:-}" ] && VELTRANE_BINARY="$2"
choose_binary || exit 2
host_check || exit 2
sanitizer_settings || exit 2

work="$(mktemp -d "/tmp/$NAME-XXXXXX")"
at_exit 'rm -rf "$work"'
saver_pid=""
host_up || exit 2
at_exit '[ -n "$saver_pid" ] && kill -KILL -- "-$saver_pid" 2>/dev/null; host_cleanup'

crashes=0 hangs=0 leaked=0 nonzero=0 early=0
for ((cycle = 0; cycle < cycles; cycle++)); do
    combo="${COMBOS[cycle % ${#COMBOS[@]}]}"
    mode="${combo%%:*}" way="${combo#*:}"
    delay_ms=$(((RANDOM * 32768 + RANDOM) % 4001))
    host_up || exit 2
    ARGS=() ENVIRONMENT=()
    host_prepare "$mode" || exit 2

    # A process group of its own (so nothing it starts can hide), and SIGINT
    # back at its default: a shell's background jobs start with it ignored.
    env --default-signal=INT ${PRELOAD:+LD_PRELOAD="$PRELOAD"} "${ENVIRONMENT[@]}" \
        setsid "$BINARY" "${ARGS[@]}" >/dev/null 2>"$work/stderr" &
    saver_pid=$!
    host_wait "$mode" "$way" "$delay_ms"

    sent="" caught=yes
    ended_at=$(now_ms)
    case "$way" in
    TERM | INT)
        catches "$saver_pid" "$way" || caught=no
        kill "-$way" "$saver_pid" 2>/dev/null
        sent="$way"
        ;;
    *) host_end "$way" ;;
    esac

    outcome=""
    if ! finish_run "$saver_pid" "$ended_at"; then
        hangs=$((hangs + 1)) outcome="hang"
    fi
    status=$RUN_STATUS
    if [ -z "$outcome" ]; then
        outcome="$(verdict "$status" "$sent" "$caught" "$work/stderr" host_excuses "$way")"
        case "$outcome" in
        crash) crashes=$((crashes + 1)) ;;
        nonzero) nonzero=$((nonzero + 1)) ;;
        early) early=$((early + 1)) outcome="" ;;
        esac
    fi
    if [ -z "$outcome" ] && complaint="$(host_complaint "$work/stderr")"; then
        nonzero=$((nonzero + 1)) outcome="$complaint"
    fi
    if stray_processes "$saver_pid" "$LINGER_MS"; then
        leaked=$((leaked + 1)) outcome="${outcome:+$outcome, }leaked a process"
    fi
    if leftover="$(host_leftover)"; then
        leaked=$((leaked + 1)) outcome="${outcome:+$outcome, }$leftover"
    fi
    saver_pid=""
    host_after_cycle
    if [ -n "$outcome" ]; then
        echo "cycle $cycle ($mode, $way after ${delay_ms} ms): $outcome, status $status: $(one_line "$work/stderr")" >&2
        [[ "$outcome" == crash* ]] && cp "$work/stderr" "/tmp/$NAME-crash-$cycle.log"
    fi
done

[ "$early" -eq 0 ] || echo "early: $early signals arrived before the process could catch them" >&2
echo "$SUMMARY: $cycles cycles, crashes $crashes, hangs $hangs, leaked $leaked, nonzero $nonzero"
[ $((crashes + hangs + leaked + nonzero)) -eq 0 ]
