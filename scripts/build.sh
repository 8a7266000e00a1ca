#!/usr/bin/env bash
# Builds the plug-in and hestrel-render (Release, without the tests) in build/release, installs
# Hestrel.vst3 into ~/.vst3, then renders the demo podcast session through the installed bundle
# in build/demo and prints the report.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/release"

bash "$root/scripts/setup.sh"

export CCACHE_BASEDIR="$root"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DHESTREL_BUILD_TESTS=OFF
cmake --build "$build" -j "$(nproc)" --target Hestrel_VST3 hestrel-render

bundle="$build/Hestrel_artefacts/Release/VST3/Hestrel.vst3"
installed="$HOME/.vst3/Hestrel.vst3"

# Replaces only an earlier Hestrel bundle, never anything else of the user's.
mkdir -p "$HOME/.vst3"
if [ -e "$installed" ] && [ ! -f "$installed/Contents/$(uname -m)-linux/Hestrel.so" ]; then
    echo "build: $installed exists but is not a Hestrel bundle; not replacing it" >&2
    exit 1
fi
rm -rf "$installed"
cp -R "$bundle" "$installed"
echo "Installed $installed"

bash "$root/scripts/demo.sh" "$build/tools/hestrel-render" "$installed" "$root/build/demo"
