#!/usr/bin/env bash
# mp3-vs-lame: the save-time encoder run (scrambled cache track, peak scan,
# gain, 256 kbit/s joint stereo, resampled to 44100 Hz, no bit reservoir,
# quality 2) against the lame command-line encoder at the same settings on the
# same 3-minute 48 kHz stereo audio, in CPU seconds of each process. Runs
# alternate; the best of each counts.
# Needs $TOBREL_BUILD (a Release build tree).
set -euo pipefail
runs=5
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
program="$TOBREL_BUILD/bench/mp3-vs-lame/bench_mp3_vs_lame"
library="$TOBREL_BUILD/Mains/recorder/liblame_enc.so"

# Full-band and never quiet, like music: pink noise with a slow swell.
sox -n -r 48000 -c 2 -b 16 "$scratch/music.wav" synth 180 pinknoise pinknoise tremolo 0.3 40 vol 0.5
"$program" prepare "$scratch/music.wav" "$scratch/track.tmp"

# CPU time (user + system) of each whole process: both are CPU-bound, and CPU
# time does not depend on what else the machine is running.
cpu_seconds() {
  local TIMEFORMAT='%3U %3S'
  { time "$@" >/dev/null; } 2>&1 | awk '{ printf "%.3f", $1 + $2 }'
}
best_ours=""
best_lame=""
for i in $(seq "$runs"); do
  ours=$(cpu_seconds "$program" encode "$scratch/track.tmp" "$scratch/ours.mp3" "$library")
  lame_s=$(cpu_seconds lame --quiet --noreplaygain -t -q 2 -b 256 -m j --resample 44.1 --nores \
    "$scratch/music.wav" "$scratch/lame.mp3")
  echo "run $i: ours ${ours} s, lame ${lame_s} s (CPU)"
  best_ours=$(awk -v a="$ours" -v b="$best_ours" 'BEGIN { print (b == "" || a < b) ? a : b }')
  best_lame=$(awk -v a="$lame_s" -v b="$best_lame" 'BEGIN { print (b == "" || a < b) ? a : b }')
done
echo "output: ours $(stat -c %s "$scratch/ours.mp3") bytes, lame $(stat -c %s "$scratch/lame.mp3") bytes"
echo "best: ours ${best_ours} s, lame ${best_lame} s"
awk -v o="$best_ours" -v l="$best_lame" 'BEGIN { printf "mp3-vs-lame ratio=%.3f target=1.05\n", o / l }'
