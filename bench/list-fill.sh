#!/usr/bin/env bash
# list-fill: the track list's data path (ids, then track and tags per id) on a
# cache database of 5 000 tracks, against the sqlite3 tool running the same
# statements on the same file. Needs $TOBREL_BUILD (a Release build tree).
set -euo pipefail
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
"$TOBREL_BUILD/bench/listfill/listfill_bench" "$scratch/cache" 5000 7
