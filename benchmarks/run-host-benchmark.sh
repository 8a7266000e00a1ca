#!/usr/bin/env bash
# Builds the plug-in and the multi-threaded host benchmark (Release, build/bench), runs the
# benchmark and writes its table, with the machine it ran on, into benchmarks/RESULTS.md.
#
#   benchmarks/run-host-benchmark.sh [REPEATS] [SECONDS_PER_SCENARIO]
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/bench"
repeats="${1:-5}"
seconds="${2:-2}"

case "$repeats$seconds" in
    *[!0-9.]*) echo "run-host-benchmark: REPEATS and SECONDS must be numbers" >&2; exit 2 ;;
esac

bash "$root/scripts/setup.sh"
export CCACHE_BASEDIR="$root"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DHESTREL_BUILD_TOOLS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target Hestrel_VST3 hestrel_host_benchmark hestrel_benchmarks

table="$(mktemp)"
trap 'rm -f "$table"' EXIT
"$build/benchmarks/hestrel_host_benchmark" "--plugin=$build/Hestrel_artefacts/Release/VST3/Hestrel.vst3" \
    "--repeats=$repeats" "--seconds=$seconds" "--markdown=$table" >/dev/null

section="$(mktemp)"
trap 'rm -f "$table" "$section"' EXIT
{
    echo "<!-- host-threads:begin (written by benchmarks/run-host-benchmark.sh) -->"
    echo "## Parallel audio threads: the built bundle in a multi-threaded host"
    echo
    echo "N stereo instances of the Release \`Hestrel.vst3\`, loaded through JUCE's VST3 hosting, at 48 kHz,"
    echo "split over T audio threads that meet at a barrier after every period."
    echo "Machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(nproc) cores;"
    echo "run on $(date -u '+%Y-%m-%d %H:%M UTC'); the machine is shared, so the ranges show its noise."
    echo
    cat "$table"
    echo "<!-- host-threads:end -->"
} > "$section"

results="$root/benchmarks/RESULTS.md"
python3 - "$results" "$section" <<'PY'
import pathlib, re, sys
results, section = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2]).read_text()
text = results.read_text() if results.exists() else "# Benchmark results\n"
pattern = re.compile(r"<!-- host-threads:begin.*?<!-- host-threads:end -->\n", re.S)
text = pattern.sub(lambda _: section, text) if pattern.search(text) else text.rstrip("\n") + "\n\n" + section
results.write_text(text)
PY
echo "Wrote $results"
