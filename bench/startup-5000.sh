#!/usr/bin/env bash
# startup-5000: how long the real program takes from its start to the first
# painted window (its trace line "First paint") with 5 000 tracks in its
# cache, against the same start with an empty cache. Both run offscreen on a
# private sound server, alternately, seven times each after one start of
# each that is not counted (the first start of a profile does first-run
# work); the figure is the ratio of the best times (the load of a shared
# machine only ever adds to a start, and moves the medians, printed too, a
# great deal). The CPU time the program used to then is printed as well.
# Needs $TOBREL_BUILD (a Release build tree).
source "$(dirname "$0")/appCost/common.sh"
tracks=5000
rounds=7
start_sound_server
export QT_QPA_PLATFORM=offscreen

make_profile empty trace
empty_trace="$profile_documents/trace_messages.txt"
make_profile full trace
full_trace="$profile_documents/trace_messages.txt"
profile_env full "$setup" fill "$tracks"
echo "a cache of ${tracks} tracks: $(du -sh "$profile_cache/cache.db" | cut -f1) database, $(ls "$profile_cache" | wc -l) files"

start_once() { profile_env "$1" "$setup" startup "$2" "$tobrel"; }
start_once empty "$empty_trace" > /dev/null
start_once full "$full_trace" > /dev/null

empty_wall=(); empty_cpu=(); full_wall=(); full_cpu=()
for r in $(seq "$rounds"); do
  read -r ew ec < <(start_once empty "$empty_trace")
  read -r fw fc < <(start_once full "$full_trace")
  echo "round $r: empty cache ${ew} ms (${ec} ms CPU), ${tracks} tracks ${fw} ms (${fc} ms CPU)"
  empty_wall+=("$ew"); empty_cpu+=("$ec"); full_wall+=("$fw"); full_cpu+=("$fc")
done
ew="$(median "${empty_wall[@]}")"; fw="$(median "${full_wall[@]}")"
ec="$(median "${empty_cpu[@]}")"; fc="$(median "${full_cpu[@]}")"
echo "median: empty cache ${ew} ms (${ec} ms CPU), ${tracks} tracks ${fw} ms (${fc} ms CPU); ratio $(ratio_of "$fw" "$ew"), CPU ratio $(ratio_of "$fc" "$ec")"
ew="$(best "${empty_wall[@]}")"; fw="$(best "${full_wall[@]}")"
echo "best: empty cache ${ew} ms, ${tracks} tracks ${fw} ms"
echo "startup-5000 ratio=$(ratio_of "$fw" "$ew") target=1.3"
