#!/usr/bin/env bash
# Regenerates docs/hestrel-window.png: the built Hestrel.vst3 hosted on a private Xvfb, its
# window opened while audio runs, and the window's area of the screen saved as the picture.
#
#   scripts/screenshot.sh [BUILD_DIR]      (default: build/debug, as scripts/test.sh makes it)
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/debug}"

if [ $# -gt 1 ]; then
    echo "screenshot.sh: too many arguments (usage: scripts/screenshot.sh [BUILD_DIR])" >&2
    exit 2
fi

build="$(cd "$build" 2>/dev/null && pwd)" || { echo "screenshot.sh: no build directory '${1:-build/debug}'" >&2; exit 2; }

tests="$build/tests/window/hestrel_window_tests"
bundle="$(find "$build/Hestrel_artefacts" -maxdepth 3 -type d -name Hestrel.vst3 2>/dev/null | head -n 1)"

[ -x "$tests" ] || { echo "screenshot.sh: '$tests' is not built (build the target hestrel_window_tests first)" >&2; exit 2; }
[ -n "$bundle" ] || { echo "screenshot.sh: no Hestrel.vst3 under '$build/Hestrel_artefacts' (build Hestrel_VST3 first)" >&2; exit 2; }

mkdir -p "$root/docs"
picture="$root/docs/hestrel-window.png"

# Written beside the old picture and moved over it only when the window test passed.
fresh="$(mktemp --suffix=.png "$root/docs/.hestrel-window.XXXXXX")"
trap 'rm -f "$fresh"' EXIT

bash "$root/tests/window/with-xvfb.sh" "$tests" --gtest_brief=1 \
    --gtest_filter='HostedWindow.OpensAt380By620AndShowsTheWindowOnScreen' \
    "--plugin=$bundle" "--screenshot=$fresh"

[ -s "$fresh" ] || { echo "screenshot.sh: the window test wrote no picture" >&2; exit 1; }
chmod 644 "$fresh"
mv "$fresh" "$picture"
echo "screenshot.sh: wrote $picture"
