#!/usr/bin/env bash
# Fuzzes the processor's state loading with libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer, in a clang build of its own (build/fuzz).
#
#   bash scripts/fuzz.sh [SECONDS]     default 1200; the test command runs it for 60
#
# Starts from the committed seed corpus (fuzz/corpus/state) and keeps what it finds in
# build/fuzz/corpus-state, so later runs go on from there; a finding is written to
# build/fuzz/findings/ and makes the script fail.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-1200}"

if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
    echo "fuzz.sh: SECONDS must be a positive whole number, not '$seconds'" >&2
    exit 2
fi

build="$root/build/fuzz"
export CCACHE_BASEDIR="$root"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DHESTREL_FUZZ=ON -DHESTREL_BUILD_TESTS=OFF -DHESTREL_BUILD_TOOLS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target hestrel_state_fuzzer

mkdir -p "$build/corpus-state" "$build/findings"
log="$build/state-fuzzer-${seconds}s.log"

# One process; each input is bounded in time and memory, the whole run in seconds.
ASAN_OPTIONS=detect_leaks=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
"$build/fuzz/hestrel_state_fuzzer" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -max_len=8192 \
    -dict="$root/fuzz/state.dict" -artifact_prefix="$build/findings/" -print_final_stats=1 \
    "$build/corpus-state" "$root/fuzz/corpus/state" >"$log" 2>&1 || {
        tail -n 60 "$log" >&2
        echo "fuzz.sh: the state fuzzer found a fault; the input is in $build/findings/" >&2
        exit 1
    }

runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')"
echo "fuzz.sh: state fuzzer: $runs inputs in $seconds s, no finding (log: $log)"
