#!/usr/bin/env bash
# Builds everything (plug-in, test host, tools, tests, benchmarks) in build/debug and runs every test.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/debug"

bash "$root/scripts/setup.sh"

export CCACHE_BASEDIR="$root"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug
cmake --build "$build" -j "$(nproc)"
ctest --test-dir "$build" --output-on-failure --timeout 900
