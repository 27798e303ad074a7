# shellcheck shell=bash
# Shared by every script of scripts/ and bench/. Source it; do not run it.
# It turns on `set -euo pipefail`; a script that judges failing commands
# itself (bench/lifecycle.sh) turns -e off again after sourcing. With it come
#   servers.sh  a private Xvfb, a private headless sway, a private Wine prefix
#   runs.sh     clocks, process states, sanitizer settings, lifecycle verdicts
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
JOBS="$(nproc 2>/dev/null || echo 2)"

log() { printf '\n== %s\n' "$*" >&2; }

# at_exit COMMAND: COMMAND (evaluated then) runs when the script exits, before
# every command registered earlier; one registered again keeps its place and
# runs once. A failing command does not stop the others or change the
# script's exit status. Scripts register here instead of trapping EXIT.
AT_EXIT=()
at_exit() {
    local registered
    for registered in "${AT_EXIT[@]}"; do
        [ "$registered" = "$*" ] && return 0
    done
    AT_EXIT=("$*" "${AT_EXIT[@]}")
    trap run_at_exit EXIT
}
run_at_exit() {
    local command
    for command in "${AT_EXIT[@]}"; do
        eval "$command" || true
    done
}

# need_tools TOOL...: fails, naming the first one missing, unless every TOOL
# is on PATH.
need_tools() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "$tool is needed" >&2; return 1; }
    done
}

# program_in BUILD_DIR: where a build folder keeps the Linux program.
program_in() { printf '%s/host/app/veltrane\n' "$1"; }

# choose_binary [BUILD_DIR]: the one rule by which every script picks the
# program it runs: $VELTRANE_BINARY when set, whatever folder is named, else
# the program of BUILD_DIR (default build/default). Sets BINARY, and BUILD to
# the build folder BINARY belongs to, where its helper programs are. Fails,
# saying so, when BINARY is not an executable.
choose_binary() {
    BINARY="${VELTRANE_BINARY:-$(program_in "${1:-$ROOT/build/default}")}"
    if [ ! -x "$BINARY" ]; then
        echo "no $BINARY: build it first" >&2
        return 1
    fi
    BINARY="$(cd "$(dirname "$BINARY")" && pwd)/$(basename "$BINARY")"
    BUILD="$(cd "$(dirname "$BINARY")/../.." && pwd)"
}

# built PATH: the helper program PATH (relative to a build folder) of $BUILD,
# else of build/default, where the tests and benchmarks keep theirs. Fails,
# naming the target to build, when neither has it.
built() {
    local place
    for place in "$BUILD/$1" "$ROOT/build/default/$1"; do
        [ -x "$place" ] && { printf '%s\n' "$place"; return 0; }
    done
    echo "no $(basename "$1"): build it (target $(basename "$1"))" >&2
    return 1
}

# Checks that go on after a failure: fail reports one and sets status=1 for
# the script's exit; expect_equal WHAT EXPECTED ACTUAL fails unless they match.
fail() {
    echo "FAILED: $*" >&2
    status=1
}
expect_equal() { [ "$2" = "$3" ] || fail "$1: expected '$2', got '$3'"; }

# Lists under scripts/deps that only the tests, the Windows build and the
# packages need; scripts/run installs every other list.
TEST_ONLY_DEPS="test windows packaging fuzz bench"

# install_deps [--run]: installs the Debian packages named in scripts/deps/*.txt
# that are missing; with --run only the lists building and running the Linux
# program needs. Runs apt-get only when something is missing, so repeat runs
# stay offline.
install_deps() {
    local lists=() list name
    for list in "$ROOT"/scripts/deps/*.txt; do
        name="$(basename "$list" .txt)"
        if [ "${1:-}" = "--run" ] && [[ " $TEST_ONLY_DEPS " == *" $name "* ]]; then
            continue
        fi
        lists+=("$list")
    done
    local wanted=() missing=() pkg
    while read -r pkg; do
        [ -n "$pkg" ] && wanted+=("$pkg")
    done < <(cat "${lists[@]}" | sed 's/#.*//' | tr -s ' \t' '\n' | sort -u)
    for pkg in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'ok installed' || missing+=("$pkg")
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    log "installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# configure_and_build <preset> [extra cmake args...]
configure_and_build() {
    local preset="$1"
    shift
    log "configure + build ($preset)"
    cmake --preset "$preset" -S "$ROOT" "$@" >/dev/null
    cmake --build --preset "$preset" -j "$JOBS"
}

source "$ROOT/scripts/lib/servers.sh"
source "$ROOT/scripts/lib/runs.sh"
