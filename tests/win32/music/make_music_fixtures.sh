#!/usr/bin/env bash
# Makes the tracks the music tests play, under the folder given as the only
# argument: short tones as WAV and MP3, a long one to pause and stop, and a
# text file that only pretends to be an MP3.
set -euo pipefail
out=${1:?fixture folder}
mkdir -p "$out"
tone() {  # name seconds frequency
  sox -q -n -r 44100 -c 2 -b 16 "$out/$1" synth "$2" sine "$3" vol 0.5
}
tone short440.wav 0.6 440
tone short660.mp3 0.6 660
tone short880.wav 0.6 880
tone long.wav 30 440
tone long.mp3 30 660
echo "These are notes, not music." >"$out/notes.mp3"
