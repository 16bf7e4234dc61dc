#!/usr/bin/env bash
# app-recording: what the real program costs while it records. CPU time from
# /proc over 30 s of the running `tobrel` (offscreen, Record on) recording
# played music, against its peer run at the same time: parec recording the
# same monitor with 10 ms fragments plus a minimal Qt program with one window
# and a 100 ms timer that does nothing. The music never pauses inside the
# window, so no track ends and no MP3 pre-encoding runs in it (checked: no
# companion file appears). The figure is the median of tobrel CPU / peer CPU.
# Needs $TOBREL_BUILD (a Release build tree).
source "$(dirname "$0")/appCost/common.sh"
seconds=30
rounds=3
start_sound_server
export QT_QPA_PLATFORM=offscreen

# Music-like and never quiet: a sawtooth and a sine with a tremolo.
sox -n -r 48000 -c 2 -e floating-point -b 32 "$scratch/music.wav" \
  synth "$((seconds + 15))" sawtooth 110 sine 330 tremolo 5 60 gain -10

# Bytes of the recording in progress.
recording_bytes() { stat -c %s "$profile_cache/sdrtfn.tmp" 2>/dev/null || echo 0; }

measure() {
  rm -rf "${scratch:?}/rec"
  make_profile rec
  start_app rec
  start_parec
  start_idle_window
  wait_capturing "$app_pid" >&2
  wait_capturing "$parec_pid" >&2
  paplay "$scratch/music.wav" &
  local player=$!
  started_pids+=("$player")
  # Recording: the file has passed the 2 s the indicator waits for.
  local i
  for i in $(seq 1000); do
    [ "$(recording_bytes)" -gt $((48000 * 4 * 3)) ] && break
    sleep 0.02
  done
  [ "$(recording_bytes)" -gt $((48000 * 4 * 3)) ] || { echo "tobrel does not record" >&2; exit 1; }
  measure_cpu "$seconds"
  kill -0 "$player" || { echo "the music ended inside the window" >&2; exit 1; }
  if compgen -G "$profile_cache/*.dat" > /dev/null || compgen -G "$profile_cache/*_*_*.tmp" > /dev/null; then
    echo "a track ended inside the window (pre-encoding would be measured)" >&2
    exit 1
  fi
  stop_pid "$app_pid"; stop_pid "$parec_pid"; stop_pid "$window_pid"; stop_pid "$player"
}

echo "recording ${seconds} s side by side with parec on the same monitor plus a minimal Qt window, ${rounds} rounds"
ratios=()
for r in $(seq "$rounds"); do
  side_by_side "round $r"
  ratios+=("$round_ratio")
done
echo "app-recording ratio=$(median "${ratios[@]}") target=1.5"
