#!/usr/bin/env bash
# Builds the demo "podcast": three talkers (espeak-ng voices) on three mics, each mic carrying
# its own talker, the two others as bleed (10 to 20 dB down, 2 to 10 ms late) and a little room
# noise. Every run on the same machine gives the same bytes: fixed voices, speeds and texts,
# sox's repeatable random seed (-R) and no dither (-D).
#
#   scripts/make-demo-session.sh DIR
#
# Writes into DIR:
#   mic1.wav mic2.wav mic3.wav          the tracks to clean (48 kHz, mono, 32-bit float)
#   components/micN-direct.wav          the mic's own talker
#   components/micN-bleed.wav           the two other talkers as this mic hears them
#   components/micN-noise.wav           the room noise
#   turns.csv                           mic,start_s,end_s: every turn of each mic's own talker
set -euo pipefail

if [[ $# -ne 1 || -z "$1" ]]; then
    echo "usage: $0 DIR" >&2
    exit 2
fi

for tool in espeak-ng sox soxi awk; do
    command -v "$tool" > /dev/null || { echo "error: $tool is not installed (scripts/setup.sh installs it)" >&2; exit 1; }
done

out="$1"
mkdir -p "$out/components"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

rate=48000
sox_opts=(-R -D -V1)
float=(-r "$rate" -c 1 -b 32 -e floating-point)

# Three voices, each with its own speed and pitch.
voice_1=(-v en-us+f3 -s 165 -p 55)
voice_2=(-v en-gb+m3 -s 150 -p 40)
voice_3=(-v en-gb-scotland+m1 -s 158 -p 48)

# The conversation: talker, gap in seconds after the previous turn ends (negative: they
# overlap), text. Each utterance is cut to its speech (espeak-ng pads it with silence), so a
# turn runs from the first sound to the last.
turns=(
    "1|0.60|Welcome back to the show. Today we are talking about recording a podcast with three microphones."
    "2|0.45|Thanks for having me. The first thing people notice is that every microphone hears everybody."
    "3|-0.40|Right, and that bleed makes the voices sound hollow."
    "1|0.70|So what do you do about it?"
    "2|0.35|You could gate every track, but a gate chops the start of every word."
    "3|0.90|Or you ride the faders by hand for an hour."
    "1|-0.30|Nobody has time for that."
    "3|0.50|An automatic mixer listens to all the microphones at once and opens the one that carries the talker."
    "2|0.60|And the others go down, so the bleed goes down with them."
    "1|1.20|Does it follow quick changes between talkers?"
    "2|0.30|It should. Yes."
    "3|-0.25|Within a few milliseconds."
    "1|0.60|Let us try it on this very conversation and look at the numbers."
    "2|0.80|Good idea. Thanks everybody for listening."
)

# Where each talker's turns start, in samples, and the resulting direct tracks.
declare -a track_end=(0 0 0 0)
session_end=0
turn_index=0
echo "mic,start_s,end_s" > "$out/turns.csv.tmp"

for turn in "${turns[@]}"; do
    IFS='|' read -r talker gap text <<< "$turn"
    turn_index=$((turn_index + 1))
    voice_var="voice_${talker}[@]"

    espeak-ng "${!voice_var}" -w "$work/raw-$turn_index.wav" "$text"
    sox "${sox_opts[@]}" "$work/raw-$turn_index.wav" "${float[@]}" "$work/utt-$turn_index.wav" rate -h "$rate" \
        silence 1 0.005 0.05% reverse silence 1 0.005 0.05% reverse norm -3 vol 0.5

    length=$(soxi -s "$work/utt-$turn_index.wav")
    start=$(awk -v end="$session_end" -v gap="$gap" -v rate="$rate" 'BEGIN { s = end + int (gap * rate); print (s < 0 ? 0 : s) }')
    silence=$((start - track_end[talker]))
    if ((silence < 0)); then
        echo "error: talker $talker's turn $turn_index starts before their previous turn ends" >&2
        exit 1
    fi

    sox "${sox_opts[@]}" -n "${float[@]}" "$work/sil-$turn_index.wav" trim 0 "${silence}s"
    echo "$work/sil-$turn_index.wav $work/utt-$turn_index.wav" >> "$work/parts-$talker.txt"

    track_end[talker]=$((start + length))
    session_end=$(( start + length > session_end ? start + length : session_end ))
    awk -v m="$talker" -v s="$start" -v e="$((start + length))" -v rate="$rate" \
        'BEGIN { printf "%d,%.6f,%.6f\n", m, s / rate, e / rate }' >> "$out/turns.csv.tmp"
done

total=$((session_end + rate))   # one second of room tone after the last word

# A talker's clean voice: their turns in place, padded to the session length.
for talker in 1 2 3; do
    # shellcheck disable=SC2046
    sox "${sox_opts[@]}" $(cat "$work/parts-$talker.txt") "${float[@]}" "$work/talker-$talker.wav" pad 0 "${total}s" trim 0 "${total}s"
done

# Bleed paths: mic, other talker, attenuation in dB, delay in ms.
bleed_paths=(
    "1 2 12 3.0" "1 3 17 7.0"
    "2 1 14 4.0" "2 3 11 2.5"
    "3 1 18 9.0" "3 2 15 5.0"
)

for path in "${bleed_paths[@]}"; do
    read -r mic talker attenuation delay <<< "$path"
    sox "${sox_opts[@]}" "$work/talker-$talker.wav" "${float[@]}" "$work/bleed-$mic-from-$talker.wav" \
        pad "$(awk -v d="$delay" 'BEGIN { printf "%.4f", d / 1000 }')" vol "-${attenuation}dB" trim 0 "${total}s"
done

# Room noise: one long repeatable pink noise, a different stretch of it for every mic.
sox "${sox_opts[@]}" -n "${float[@]}" "$work/room.wav" synth "$((3 * total + rate))s" pinknoise vol 0.0015

for mic in 1 2 3; do
    others=()
    for talker in 1 2 3; do
        [[ $talker -ne $mic ]] && others+=(-v 1 "$work/bleed-$mic-from-$talker.wav")
    done

    cp "$work/talker-$mic.wav" "$out/components/mic$mic-direct.wav"
    sox "${sox_opts[@]}" -m "${others[@]}" "${float[@]}" "$out/components/mic$mic-bleed.wav"
    sox "${sox_opts[@]}" "$work/room.wav" "${float[@]}" "$out/components/mic$mic-noise.wav" trim "$(( (mic - 1) * total ))s" "${total}s"
    sox "${sox_opts[@]}" -m -v 1 "$out/components/mic$mic-direct.wav" -v 1 "$out/components/mic$mic-bleed.wav" \
        -v 1 "$out/components/mic$mic-noise.wav" "${float[@]}" "$out/mic$mic.wav"
done

mv "$out/turns.csv.tmp" "$out/turns.csv"
echo "demo session: $out (3 mics, $(awk -v n="$total" -v r="$rate" 'BEGIN { printf "%.1f", n / r }') s, $((turn_index)) turns)"
