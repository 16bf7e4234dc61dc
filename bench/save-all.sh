#!/usr/bin/env bash
# save-all: saving 20 pre-encoded 3-minute tracks through the save flow (all
# tracks, the multiple-tracks dialog, tagged MP3s written from the companions)
# against cp of the same 20 companion files into an empty folder, each copy
# then synced to the disk with its folder (coreutils' sync of those files), as
# the save does before it names a file. Rounds alternate; the best of each
# counts. Needs $TOBREL_BUILD (a Release build tree).
set -euo pipefail
tracks=20
rounds=9
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
program="$TOBREL_BUILD/bench/save-all/bench_save_all"
library="$TOBREL_BUILD/Mains/recorder/liblame_enc.so"

# A profile of its own: settings, cache and save folder under the scratch folder.
export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config" XDG_DATA_HOME="$scratch/home/.local/share"
export TOBREL_MACHINE_REGISTRY="$scratch/machine" TOBREL_INSTANCE_LOCK_DIR="$scratch"
export QT_QPA_PLATFORM=offscreen LD_LIBRARY_PATH="$TOBREL_BUILD/Mains/recorder"
mkdir -p "$HOME"
cache="$XDG_DATA_HOME/Tobrel/500/Cache"

sox -n -r 48000 -c 2 -b 16 "$scratch/music.wav" synth 180 pinknoise pinknoise tremolo 0.3 40 vol 0.5
"$program" prepare "$scratch/music.wav" "$cache" "$tracks" "$library"
"$TOBREL_BUILD/tools/installer/tobrel-install-machine-values" "$source_dir" >/dev/null

now_ns() { date +%s%N; }
best_ours=""
best_cp=""
# Each side starts with the previous round's files written out (sync), so
# that neither pays for the other's writeback.
for i in $(seq "$rounds"); do
  rm -rf "$scratch/saved"; sync
  ours=$("$program" save "$source_dir/Skins" "$scratch/saved" 1 2>/dev/null | tail -1)
  rm -rf "$scratch/copies"; mkdir -p "$scratch/copies"; sync
  start=$(now_ns)
  cp "$cache"/*.dat "$scratch/copies/"
  sync "$scratch/copies"/*.dat "$scratch/copies"
  cp_s=$(awk -v ns=$(( $(now_ns) - start )) 'BEGIN { printf "%.6f", ns / 1e9 }')
  echo "round $i: save-all ${ours} s, cp+sync ${cp_s} s"
  best_ours=$(awk -v a="$ours" -v b="$best_ours" 'BEGIN { print (b == "" || a < b) ? a : b }')
  best_cp=$(awk -v a="$cp_s" -v b="$best_cp" 'BEGIN { print (b == "" || a < b) ? a : b }')
done
echo "$(ls "$scratch/saved" | wc -l) MP3s saved, $(du -sb "$scratch/saved" | cut -f1) bytes; companions $(du -cb "$cache"/*.dat | tail -1 | cut -f1) bytes"
echo "best: save-all ${best_ours} s, cp+sync ${best_cp} s"
awk -v o="$best_ours" -v c="$best_cp" 'BEGIN { printf "save-all ratio=%.3f target=1.5\n", o / c }'
