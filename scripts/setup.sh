#!/usr/bin/env bash
# Installs what building and testing Hestrel needs, skipping what is already there.
# Safe to run again and again; needs root (or sudo) only when something is missing.
set -euo pipefail

packages=(
    # build
    cmake g++ make pkg-config ccache juce-modules-source patch
    libasound2-dev libfreetype-dev libfontconfig1-dev libx11-dev libxext-dev
    libxinerama-dev libxrandr-dev libxcursor-dev libgl-dev
    libflac-dev libvorbis-dev libogg-dev libpng-dev libjpeg-dev zlib1g-dev
    # tests and benchmarks; clang and llvm for the fuzzer (libFuzzer, symbolizer)
    googletest libgtest-dev libbenchmark-dev time clang llvm libclang-rt-14-dev
    # fonts, so that text renders the same on every machine
    fonts-dejavu-core
    # a real window: virtual X server, atom interning, screenshots
    xvfb x11-utils x11-apps imagemagick
    # the demo session
    espeak-ng sox
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "setup: installing ${missing[*]}" >&2
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "setup: need root to install: ${missing[*]}" >&2; exit 1; }
    sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
