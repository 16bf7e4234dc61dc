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

# One measurement: tobrel and its peer side by side; prints "app_cpu peer_cpu".
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
  local a0 p0 w0 a1 p1 w1
  a0="$(cpu_of "$app_pid")"; p0="$(cpu_of "$parec_pid")"; w0="$(cpu_of "$window_pid")"
  sleep "$seconds"
  a1="$(cpu_of "$app_pid")"; p1="$(cpu_of "$parec_pid")"; w1="$(cpu_of "$window_pid")"
  kill -0 "$app_pid" || { echo "tobrel ended" >&2; exit 1; }
  stop_pid "$app_pid"; stop_pid "$parec_pid"; stop_pid "$window_pid"
  awk -v a0="$a0" -v a1="$a1" -v p0="$p0" -v p1="$p1" -v w0="$w0" -v w1="$w1" \
    'BEGIN { printf "%.4f %.4f %.4f\n", a1 - a0, p1 - p0, w1 - w0 }'
}

xvfb_pid=""
start_xvfb() {
  Xvfb -displayfd 7 -screen 0 1280x1024x24 -nolisten tcp 7> "$scratch/xvfb.number" 2>/dev/null &
  xvfb_pid=$!
  started_pids+=("$xvfb_pid")
  for _ in $(seq 500); do [ -s "$scratch/xvfb.number" ] && break; sleep 0.02; done
  export DISPLAY=":$(head -1 "$scratch/xvfb.number")"
}

echo "idle for ${seconds} s side by side with parec on the same silent monitor plus a minimal Qt window, ${rounds} rounds"
on_ratios=(); off_ratios=()
for r in $(seq "$rounds"); do
  export QT_QPA_PLATFORM=offscreen
  measure on > "$scratch/result"
  read -r app peer_parec peer_window < "$scratch/result"
  peer="$(awk -v a="$peer_parec" -v b="$peer_window" 'BEGIN { printf "%.4f", a + b }')"
  ratio="$(ratio_of "$app" "$peer")"
  echo "round $r, Record on (offscreen): tobrel ${app} s CPU, parec ${peer_parec} s + window ${peer_window} s = ${peer} s, ratio ${ratio}"
  on_ratios+=("$ratio")
done
start_xvfb
for r in $(seq "$rounds"); do
  export QT_QPA_PLATFORM=xcb
  measure off > "$scratch/result"
  read -r app peer_parec peer_window < "$scratch/result"
  peer="$(awk -v a="$peer_parec" -v b="$peer_window" 'BEGIN { printf "%.4f", a + b }')"
  ratio="$(ratio_of "$app" "$peer")"
  echo "round $r, Record off (Xvfb): tobrel ${app} s CPU, parec ${peer_parec} s + window ${peer_window} s = ${peer} s, ratio ${ratio}"
  off_ratios+=("$ratio")
done
on="$(median "${on_ratios[@]}")"
off="$(median "${off_ratios[@]}")"
echo "median ratio: Record on ${on}, Record off ${off}"
worse="$(awk -v a="$on" -v b="$off" 'BEGIN { print (a > b ? a : b) }')"
echo "app-idle ratio=${worse} target=1.5"
