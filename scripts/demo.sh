#!/usr/bin/env bash
# The main job's demo: builds the three-talker demo session, cleans it through Hestrel with
# hestrel-render and prints the quality report.
#
#   scripts/demo.sh PATH/TO/hestrel-render PATH/TO/Hestrel.vst3 WORK_DIR [--update-docs]
#
# WORK_DIR gets session/ (the demo multitrack and its components) and hestrel-out/ (the cleaned
# tracks, gains.csv, gains.png); both are the demo's own and are rebuilt on every run.
# --update-docs also copies gains.png to docs/gains.png (the plot that the README shows).
set -euo pipefail

fail() { echo "demo.sh: error: $*" >&2; exit 2; }

[[ $# -eq 3 || ( $# -eq 4 && "${4:-}" == "--update-docs" ) ]] \
    || fail "usage: scripts/demo.sh PATH/TO/hestrel-render PATH/TO/Hestrel.vst3 WORK_DIR [--update-docs]"

render="$1"
bundle="$2"
work="$3"
here="$(cd "$(dirname "$0")" && pwd)"

[[ -f "$render" && -x "$render" ]] || fail "hestrel-render not found or not executable: $render"
report="$(dirname "$render")/hestrel-report"
[[ -f "$report" && -x "$report" ]] || fail "hestrel-report not found next to hestrel-render: $report"
[[ -d "$bundle" ]] || fail "plug-in bundle not found: $bundle"
[[ -n "$work" && ! -e "$work" || -d "$work" ]] || fail "work dir is not a directory: $work"

mkdir -p "$work"
session="$work/session"
out="$work/hestrel-out"

"$here/make-demo-session.sh" "$session"

echo "rendering the demo session through $bundle"
"$render" --plugin "$bundle" --out "$out" --force "$session"/mic1.wav "$session"/mic2.wav "$session"/mic3.wav

echo
echo "quality report (demo session, Hestrel at its default settings):"
echo
"$report" "$session" "$out" | tee "$work/report.md"
echo
echo "plot: $out/gains.png   per-frame data: $out/gains.csv"

if [[ "${4:-}" == "--update-docs" ]]; then
    cp "$out/gains.png" "$here/../docs/gains.png"
    echo "updated docs/gains.png"
fi
