#!/usr/bin/env bash
# save-vs-cp: saving a 3-minute track as a tagged MP3 from its pre-encoded
# companion (tag, unscrambled copy through a temporary file, rename) against
# cp of the same companion file. Runs alternate; the best of each counts.
# Needs $TOBREL_BUILD (a Release build tree).
set -euo pipefail
runs=15
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
program="$TOBREL_BUILD/bench/save-vs-cp/bench_save_vs_cp"
library="$TOBREL_BUILD/Mains/recorder/liblame_enc.so"
base=1291648000_180000_1111317901

sox -n -r 48000 -c 2 -b 16 "$scratch/music.wav" synth 180 pinknoise pinknoise tremolo 0.3 40 vol 0.5
mkdir -p "$scratch/cache" "$scratch/out"
"$program" prepare "$scratch/music.wav" "$scratch/cache" "$base" "$library"
companion="$scratch/cache/$base.dat"

now_ns() { date +%s%N; }
best_ours=""
best_cp=""
for i in $(seq "$runs"); do
  ours=$("$program" save "$scratch/cache" "$base" "$scratch/out/saved.mp3")
  start=$(now_ns)
  cp "$companion" "$scratch/out/copy.dat"
  cp_s=$(awk -v ns=$(( $(now_ns) - start )) 'BEGIN { printf "%.6f", ns / 1e9 }')
  echo "run $i: save ${ours} s, cp ${cp_s} s"
  best_ours=$(awk -v a="$ours" -v b="$best_ours" 'BEGIN { print (b == "" || a < b) ? a : b }')
  best_cp=$(awk -v a="$cp_s" -v b="$best_cp" 'BEGIN { print (b == "" || a < b) ? a : b }')
done
echo "companion $(stat -c %s "$companion") bytes, saved MP3 $(stat -c %s "$scratch/out/saved.mp3") bytes"
echo "best: save ${best_ours} s, cp ${best_cp} s"
awk -v o="$best_ours" -v c="$best_cp" 'BEGIN { printf "save-vs-cp ratio=%.3f target=1.5\n", o / c }'
