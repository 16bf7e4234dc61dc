#!/usr/bin/env bash
# app-idle: what the real program costs while it sits idle, listening to a
# silent output. CPU time from /proc over 30 s of the running `tobrel`, once
# with Record on (offscreen) and once with Record switched off (on Xvfb, where
# the record-mode button can be clicked), against its peer run at the same
# time: parec capturing the same silent monitor with 10 ms fragments (the
# record thread's loop) plus a minimal Qt program with one window and a 100 ms
# timer that does nothing (the window with our timer). Rounds interleave; the
# figure is the worse of the two medians of tobrel CPU / peer CPU.
# Needs $TOBREL_BUILD (a Release build tree).
source "$(dirname "$0")/appCost/common.sh"
seconds=30
rounds=3
start_sound_server

# One measurement: tobrel and its peers side by side (see measure_cpu).
# $1: "on" or "off" (off needs $DISPLAY, a server the button is clicked on).
measure() {
  local mode="$1"
  rm -rf "${scratch:?}/idle"
  make_profile idle
  start_app idle
  start_parec
  start_idle_window
  wait_capturing "$app_pid" >&2
  wait_capturing "$parec_pid" >&2
  if [ "$mode" = off ]; then
    local x y before after
    read -r x y < <("$setup" hotspot "$checkout/Skins")
    xdotool mousemove 5 5
    sleep 1
    before="$(import -display "$DISPLAY" -window root -crop 40x40+$((x - 20))+$((y - 20)) png:- | md5sum)"
    xdotool mousemove "$x" "$y" click 1 mousemove 5 5
    sleep 1
    after="$(import -display "$DISPLAY" -window root -crop 40x40+$((x - 20))+$((y - 20)) png:- | md5sum)"
    [ "$before" != "$after" ] || { echo "the record-mode button did not change" >&2; exit 1; }
  fi
  sleep 2  # start-up's own work settles
  measure_cpu "$seconds"
  stop_pid "$app_pid"; stop_pid "$parec_pid"; stop_pid "$window_pid"
}

xvfb_pid=""
start_xvfb() {
  Xvfb -displayfd 7 -screen 0 1280x1024x24 -nolisten tcp -noreset 7> "$scratch/xvfb.number" 2>/dev/null &
  xvfb_pid=$!
  started_pids+=("$xvfb_pid")
  for _ in $(seq 500); do [ -s "$scratch/xvfb.number" ] && break; sleep 0.02; done
  export DISPLAY=":$(head -1 "$scratch/xvfb.number")"
}

echo "idle for ${seconds} s side by side with parec on the same silent monitor plus a minimal Qt window, ${rounds} rounds"
on_ratios=(); off_ratios=()
for r in $(seq "$rounds"); do
  export QT_QPA_PLATFORM=offscreen
  side_by_side "round $r, Record on (offscreen)" on
  on_ratios+=("$round_ratio")
done
start_xvfb
for r in $(seq "$rounds"); do
  export QT_QPA_PLATFORM=xcb
  side_by_side "round $r, Record off (Xvfb)" off
  off_ratios+=("$round_ratio")
done
on="$(median "${on_ratios[@]}")"
off="$(median "${off_ratios[@]}")"
echo "median ratio: Record on ${on}, Record off ${off}"
worse="$(awk -v a="$on" -v b="$off" 'BEGIN { print (a > b ? a : b) }')"
echo "app-idle ratio=${worse} target=1.5"
