#!/usr/bin/env bash
# Fuzzes the state loading with libFuzzer under AddressSanitizer and UndefinedBehaviorSanitizer,
# in a clang build of its own (build/fuzz), through two targets, each for SECONDS:
#
#   state      the processor's setStateInformation, linked against the plug-in's shared code;
#   component  IComponent::setState of the bundle built in that tree (blob plus the VST3
#              wrapper's trailer), loaded with dlopen as a host loads it.
#
#   bash scripts/fuzz.sh [SECONDS]     default 1200 each; the test command runs 30 each
#
# Starts from the committed seeds (fuzz/corpus/*) and keeps what it finds in
# build/fuzz/corpus-*, so later runs go on from there; a finding is written to
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
cmake --build "$build" -j "$(nproc)" --target hestrel_state_fuzzer hestrel_component_state_fuzzer

export HESTREL_VST3="$build/Hestrel_artefacts/RelWithDebInfo/VST3/Hestrel.vst3"
export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p "$build/findings"

# One process per target; each input is bounded in time and memory, the whole run in seconds.
run ()
{
    local name="$1" binary="$2"
    local log="$build/$name-fuzzer-${seconds}s.log"
    mkdir -p "$build/corpus-$name"

    "$build/fuzz/$binary" \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -max_len=8192 \
        -dict="$root/fuzz/state.dict" -artifact_prefix="$build/findings/$name-" -print_final_stats=1 \
        "$build/corpus-$name" "$root/fuzz/corpus/$name" >"$log" 2>&1 || {
            tail -n 60 "$log" >&2
            echo "fuzz.sh: the $name fuzzer found a fault; the input is in $build/findings/" >&2
            exit 1
        }

    local runs
    runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')"
    echo "fuzz.sh: $name fuzzer: $runs inputs in $seconds s, no finding (log: $log)"
}

run state hestrel_state_fuzzer
run component hestrel_component_state_fuzzer
