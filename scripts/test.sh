#!/usr/bin/env bash
# Runs every test: the unit tests under AddressSanitizer and UndefinedBehaviorSanitizer
# (build/sanitizers), a bounded run of the state fuzzers (clang, build/fuzz), the concurrency
# stress test under ThreadSanitizer (build/tsan), then everything (plug-in, test host, tools,
# tests, benchmarks) built in build/debug, through CTest.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/debug"

bash "$root/scripts/setup.sh"

export CCACHE_BASEDIR="$root"

# First the unit tests under AddressSanitizer and UndefinedBehaviorSanitizer (their own build).
sanitized="$root/build/sanitizers"
cmake -S "$root" -B "$sanitized" -DCMAKE_BUILD_TYPE=Debug -DHESTREL_SANITIZERS=ON -DHESTREL_BUILD_TOOLS=OFF
cmake --build "$sanitized" -j "$(nproc)" --target hestrel_unit_tests
ASAN_OPTIONS=detect_leaks=1 "$sanitized/tests/unit/hestrel_unit_tests" --gtest_brief=1

# Half a minute of each fuzzer, from the committed seeds (a longer run: bash scripts/fuzz.sh).
bash "$root/scripts/fuzz.sh" 30

# Then sixteen instances on two audio threads while the host edits the session, under
# ThreadSanitizer (its own build): any data race fails the run.
tsan="$root/build/tsan"
cmake -S "$root" -B "$tsan" -DCMAKE_BUILD_TYPE=Debug -DHESTREL_THREAD_SANITIZER=ON -DHESTREL_BUILD_TOOLS=OFF
cmake --build "$tsan" -j "$(nproc)" --target hestrel_stress_tests
TSAN_OPTIONS="halt_on_error=1 exitcode=66 second_deadlock_stack=1" \
    "$tsan/tests/stress/hestrel_stress_tests" --gtest_brief=1 --seconds=10

# Then everything, the built bundle included, through CTest.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug
cmake --build "$build" -j "$(nproc)"
ctest --test-dir "$build" --output-on-failure --timeout 900
