# shellcheck shell=bash
# Runs of the program as the benchmarks judge them: clocks, process states,
# sanitizer settings, and the verdicts on one lifecycle cycle (a run started
# as the leader of a process group of its own and ended one way). Sourced by
# common.sh.

# now_ms: the wall clock in milliseconds.
now_ms() { echo $(($(date +%s%N) / 1000000)); }

# sleep_ms MS: sleeps MS milliseconds; not at all when MS is not positive.
sleep_ms() {
    [ "$1" -gt 0 ] || return 0
    sleep "$(printf '%d.%03d' $(($1 / 1000)) $(($1 % 1000)))"
}

# poll MS COMMAND...: runs COMMAND every 20 ms until it succeeds, and fails
# once it has not within MS (at least one try, whatever MS).
poll() {
    local deadline=$(($(now_ms) + $1))
    shift
    until "$@"; do
        [ "$(now_ms)" -lt "$deadline" ] || return 1
        sleep 0.02
    done
}

# ended PID: true once the process has ended (a zombie until reaped).
ended() {
    local state
    state="$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f1)" || true
    [ -z "$state" ] || [ "$state" = Z ]
}

# catches PID SIGNAL: true if the process has a handler for SIGNAL (a name
# such as TERM) now.
catches() {
    local mask
    mask="$(sed -n 's/^SigCgt:\s*//p' "/proc/$1/status" 2>/dev/null)" || true
    [ -n "$mask" ] && (((16#$mask >> ($(kill -l "$2") - 1)) & 1))
}

# sanitizer_settings: how runs of $BINARY (in $BUILD) report. A sanitizer's
# report ends the process with status 86, which the verdict counts as a
# crash; leak checking stays on; options already in the environment win.
# For an AddressSanitizer build, PRELOAD is set to the module that keeps
# Mesa's driver loaded (tests/host/x11/keep_modules_loaded.cpp): Mesa unloads
# it as a connection closes, and LeakSanitizer would then report what only
# the unloaded module still pointed to. PRELOAD is empty otherwise.
sanitizer_settings() {
    export ASAN_OPTIONS="${ASAN_OPTIONS:-exitcode=86:abort_on_error=0}"
    export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:exitcode=86:print_stacktrace=1}"
    export LSAN_OPTIONS="${LSAN_OPTIONS:-exitcode=86}"
    PRELOAD=""
    if [[ "$(ldd "$BINARY" 2>/dev/null)" == *libasan* ]]; then
        PRELOAD="$BUILD/tests/host/x11/libx11_keep_modules_loaded.so"
        [ -f "$PRELOAD" ] || { echo "no $PRELOAD: build target x11_keep_modules_loaded" >&2; return 1; }
        export ASAN_OPTIONS="$ASAN_OPTIONS:verify_asan_link_order=0"
    fi
}

# finish_run PID SINCE: gives the run PID until 5 s after SINCE (now_ms at
# its end) to exit. Fails when it has not, a hang, after killing its whole
# process group. Reaps it either way: RUN_STATUS is its exit status, 128 + N
# after death by signal N.
finish_run() {
    local hung=0
    if ! poll $(($2 + 5000 - $(now_ms))) ended "$1"; then
        hung=1
        kill -KILL -- "-$1" 2>/dev/null || true
    fi
    RUN_STATUS=0
    wait "$1" || RUN_STATUS=$?
    return "$hung"
}

# one_line FILE: what FILE holds, on one line, its first 300 characters.
one_line() { tr '\n' ' ' <"$1" | cut -c1-300; }

# verdict STATUS SENT CAUGHT STDERR EXCUSE...: the outcome of a run that
# exited by itself with STATUS. SENT is the signal (a name) that ended it, or
# empty for the other ways of ending; CAUGHT (yes or no) says whether the run
# had a handler for SENT just before; STDERR is the file of its error output.
# Prints
#   crash    a sanitizer's report, or death by a signal other than SENT;
#   early    death by SENT before the run had any handler for it: the
#            dynamic loader's, or a sanitizer runtime's, start-up, which no
#            program can shorten;
#   nonzero  death by SENT although it had a handler, or a status from 1 to
#            128 that the host's rule `EXCUSE... STATUS MESSAGE` (MESSAGE:
#            one_line of STDERR) does not accept as that way of ending's;
# or nothing for a run that ended as it should.
verdict() {
    local status="$1" sent="$2" caught="$3" stderr="$4" signal=0
    shift 4
    [ -n "$sent" ] && signal=$(kill -l "$sent")
    if grep -qE 'Sanitizer|runtime error:' "$stderr"; then
        echo crash
    elif [ "$status" -gt 128 ] && [ $((status - 128)) -ne "$signal" ]; then
        echo crash
    elif [ "$status" -gt 128 ] && [ "$caught" = no ]; then
        echo early
    elif [ "$status" -gt 128 ]; then
        echo nonzero
    elif [ "$status" -ne 0 ] && ! "$@" "$status" "$(one_line "$stderr")"; then
        echo nonzero
    fi
}

# stray_processes GROUP [GRACE_MS]: true when a process of GROUP is still
# there GRACE_MS (default 0) after the call; that group is killed then.
stray_processes() {
    poll "${2:-0}" group_gone "$1" && return 1
    kill -KILL -- "-$1" 2>/dev/null || true
}

group_gone() { ! pgrep -g "$1" >/dev/null 2>&1; }
