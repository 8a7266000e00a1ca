#!/usr/bin/env bash
# hestrel-render at session scale: wall time, speed as a multiple of real time and peak resident
# memory, on synthetic sessions of mono 24-bit 48 kHz tracks made here with sox (and deleted
# again). Build Release first (bash scripts/build.sh, or cmake -DCMAKE_BUILD_TYPE=Release).
#
#   benchmarks/render-benchmark.sh PATH/TO/hestrel-render PATH/TO/Hestrel.vst3 WORK_DIR [RUNS] [TRACKSxMINUTES ...]
#
# Default cases: 4x30 and 16x30, RUNS (default 3) times each; add e.g. 4x180 16x180 for the
# memory-flatness check (a 16-track 3-hour session needs ~50 GB of disk: inputs and outputs).
# Prints one Markdown table row per case: the median of the runs, their spread (min-max) and the
# highest peak RSS. On a shared machine the wall time depends on what else runs, so the table also
# gives the speed by the CPU time the render itself used (user + system).
set -euo pipefail

fail() { echo "render-benchmark: error: $*" >&2; exit 2; }

[[ $# -ge 3 ]] || fail "usage: benchmarks/render-benchmark.sh PATH/TO/hestrel-render PATH/TO/Hestrel.vst3 WORK_DIR [RUNS] [TRACKSxMINUTES ...]"
render="$1"; bundle="$2"; work="$3"; shift 3
runs="${1:-3}"; [[ $# -gt 0 ]] && shift
cases=("$@"); [[ ${#cases[@]} -gt 0 ]] || cases=(4x30 16x30)

[[ -x "$render" ]] || fail "hestrel-render not found: $render"
[[ -d "$bundle" ]] || fail "plug-in bundle not found: $bundle"
[[ "$runs" =~ ^[1-9][0-9]*$ ]] || fail "RUNS must be a whole number, not $runs"
command -v sox > /dev/null || fail "sox is missing (scripts/setup.sh installs it)"
[[ -x /usr/bin/time ]] || fail "/usr/bin/time is missing (apt-get install time)"

mkdir -p "$work"
session="$work/session"
out="$work/out"
trap 'rm -rf "$session" "$out"' EXIT

# One talker per track: pink noise under a slow tremolo, each at its own rate and level, so the
# instances hand the floor to each other as in a conversation.
make_session() {
    local tracks="$1" minutes="$2"
    rm -rf "$session"; mkdir -p "$session"
    for ((t = 1; t <= tracks; t++)); do
        sox -R -D -V1 -n -r 48000 -b 24 -c 1 "$session/t$t.wav" synth "$((minutes * 60))" pinknoise \
            tremolo "0.$((t + 10))" 95 vol "0.$((t % 4 + 2))"
    done
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "| tracks | length | runs | wall time (s), median (min-max) | x real time by wall time, median (min-max) | x real time by CPU time, median (min-max) | peak RSS (MB), max |"
echo "| ---: | ---: | ---: | ---: | ---: | ---: | ---: |"

for wanted in "${cases[@]}"; do
    [[ "$wanted" =~ ^([0-9]+)x([0-9]+)$ ]] || fail "cases look like TRACKSxMINUTES, not $wanted"
    tracks="${BASH_REMATCH[1]}"; minutes="${BASH_REMATCH[2]}"
    make_session "$tracks" "$minutes"
    walls=(); cpus=(); rss=()

    for ((r = 1; r <= runs; r++)); do
        rm -rf "$out"
        /usr/bin/time -f "%e %U %S %M" -o "$work/time.txt" "$render" --plugin "$bundle" --out "$out" "$session"/t*.wav > /dev/null
        read -r wall user system kb < "$work/time.txt"
        walls+=("$wall"); cpus+=("$(awk -v u="$user" -v s="$system" 'BEGIN { print u + s }')"); rss+=("$kb")
    done

    seconds=$((minutes * 60))
    wall_median=$(printf '%s\n' "${walls[@]}" | median)
    wall_min=$(printf '%s\n' "${walls[@]}" | sort -g | head -1)
    wall_max=$(printf '%s\n' "${walls[@]}" | sort -g | tail -1)
    cpu_median=$(printf '%s\n' "${cpus[@]}" | median)
    cpu_min=$(printf '%s\n' "${cpus[@]}" | sort -g | head -1)
    cpu_max=$(printf '%s\n' "${cpus[@]}" | sort -g | tail -1)
    rss_max=$(printf '%s\n' "${rss[@]}" | sort -g | tail -1)
    awk -v t="$tracks" -v m="$minutes" -v n="$runs" -v w="$wall_median" -v lo="$wall_min" -v hi="$wall_max" \
        -v c="$cpu_median" -v clo="$cpu_min" -v chi="$cpu_max" -v s="$seconds" -v kb="$rss_max" 'BEGIN {
            printf "| %d | %s | %d | %.1f (%.1f-%.1f) | %.0f (%.0f-%.0f) | %.0f (%.0f-%.0f) | %.0f |\n",
                   t, (m >= 60 ? sprintf("%g h", m / 60) : m " min"), n, w, lo, hi, s / w, s / hi, s / lo,
                   s / c, s / chi, s / clo, kb / 1024 }'
    rm -rf "$session" "$out"
done
