#!/usr/bin/env bash
# finish-sync: the cost of making a 3-minute recording durable when it ends
# (its close with the sync to the disk, the rename, the folder's sync), against
# coreutils' sync of a just-written copy of the same size. The recording is
# written at full speed, so none of it has reached the disk yet: the worst case.
# Runs alternate; the best of each counts. Needs $TOBREL_BUILD (a Release build tree).
set -euo pipefail
runs=7
scratch="$(mktemp -d -p "${TOBREL_BENCH_TMP:-/var/tmp}")"
trap 'rm -rf "$scratch"' EXIT
program="$TOBREL_BUILD/bench/finish-sync/bench_finish_sync"

now_ns() { date +%s%N; }
best_ours=""
best_sync=""
for i in $(seq "$runs"); do
  rm -f "$scratch"/*.tmp "$scratch/copy"
  ours=$("$program" finish "$scratch" 180)
  head -c "$(stat -c %s "$scratch"/1291648000_180000_1.tmp)" /dev/urandom > "$scratch/copy"
  start=$(now_ns)
  sync "$scratch/copy"
  sync_s=$(awk -v ns=$(( $(now_ns) - start )) 'BEGIN { printf "%.6f", ns / 1e9 }')
  echo "run $i: finish ${ours} s, sync ${sync_s} s"
  best_ours=$(awk -v a="$ours" -v b="$best_ours" 'BEGIN { print (b == "" || a < b) ? a : b }')
  best_sync=$(awk -v a="$sync_s" -v b="$best_sync" 'BEGIN { print (b == "" || a < b) ? a : b }')
done
echo "recording $(stat -c %s "$scratch"/1291648000_180000_1.tmp) bytes"
echo "best: finish ${best_ours} s, sync ${best_sync} s"
awk -v o="$best_ours" -v c="$best_sync" 'BEGIN { printf "finish-sync ratio=%.3f target=1.5\n", o / c }'
