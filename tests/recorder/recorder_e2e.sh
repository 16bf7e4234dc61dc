#!/usr/bin/env bash
# End-to-end run of the built recorder: an X server (Xvfb) and a private
# PulseAudio server with null sinks stand in for a desktop with a sound card.
# The recorder is started the way ./run.sh starts it (the installer's machine
# values, then the program, with no Qt platform chosen), three songs are played
# with silences between them, and the recorder must keep three tracks with the
# songs' durations. Screenshots of the screen (PNG) are left in the scratch
# folder: while the third song records, and at the end.
#
# Usage: recorder_e2e.sh BUILD_DIR SOURCE_DIR SCRATCH_DIR
set -euo pipefail
build=$(realpath "$1"); source=$(realpath "$2"); scratch=$3
rm -rf "$scratch"; mkdir -p "$scratch"; scratch=$(realpath "$scratch")
for tool in Xvfb pulseaudio pactl paplay sox sqlite3 import xwininfo; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done

# shellcheck source=../support/fixture.sh
source "$(dirname "$0")/../support/fixture.sh"
trap fixture_cleanup EXIT
fixture_profile "$scratch"
export TOBREL_MACHINE_REGISTRY="$scratch/machine"
unset QT_QPA_PLATFORM

# Without a display the recorder says so and ends.
if env -u DISPLAY "$build/Mains/recorder/tobrel" >"$scratch/nodisplay.log" 2>&1; then
  echo "FAIL: the recorder ran without a display"; exit 1
fi
grep -q "DISPLAY is not set" "$scratch/nodisplay.log" || { echo "FAIL: no word about the display"; exit 1; }
# A display that cannot be opened is no display either: the same sentence and
# exit code, not the window toolkit's abort.
set +e
env -u DISPLAY "$build/Mains/recorder/tobrel" >/dev/null 2>&1; nodisplay=$?
DISPLAY=:999 "$build/Mains/recorder/tobrel" >"$scratch/baddisplay.log" 2>&1; baddisplay=$?
set -e
[ "$baddisplay" = "$nodisplay" ] || { echo "FAIL: exit code $baddisplay with DISPLAY=:999, $nodisplay without"; exit 1; }
grep -q "needs a graphical desktop.*the display :999 cannot be opened" "$scratch/baddisplay.log" ||
  { echo "FAIL: no word about the display :999"; cat "$scratch/baddisplay.log"; exit 1; }

fixture_xvfb "$scratch"
fixture_pulse "$scratch"

# Three songs: 6.5, 8.5 and 10.5 seconds of tones.
sox -n -r 48000 -c 2 "$scratch/song1.wav" synth 6.5 sine 440 gain -6
sox -n -r 48000 -c 2 "$scratch/song2.wav" synth 8.5 sine 660 gain -6
sox -n -r 48000 -c 2 "$scratch/song3.wav" synth 10.5 sine 550 gain -6

# What the test waits for: the start-up's last trace line (record mode is
# armed by then), the list's rows in cache.db, the recording in progress.
trace="$HOME/Documents/Tobrel/trace_messages.txt"
mkdir -p "$HOME/Documents/Tobrel"; touch "$HOME/Documents/Tobrel/trace_on.txt"
db="$XDG_DATA_HOME/Tobrel/500/Cache/cache.db"
started() { grep -q 'recorderInit: Success' "$trace"; }
tracks_are() { [ "$(sqlite3 "$db" "SELECT count(*) FROM caches;" 2>/dev/null)" = "$1" ]; }
recorded_over() { [ "$(stat -c %s "$XDG_DATA_HOME/Tobrel/500/Cache/sdrtfn.tmp" 2>/dev/null || echo 0)" -gt "$1" ]; }

# As ./run.sh does: the installer's values, then the recorder itself.
fixture_offline_service "$TOBREL_MACHINE_REGISTRY"
"$build/tools/installer/tobrel-install-machine-values" "$source" >/dev/null
"$build/Mains/recorder/tobrel" >"$scratch/tobrel.log" 2>&1 &
recorder=$!
fixture_pids+=($recorder)
fixture_wait 30 xwininfo -name Tobrel || { echo "FAIL: no Tobrel window"; cat "$scratch/tobrel.log"; exit 1; }
fixture_wait 30 started || { echo "FAIL: the start-up did not finish"; cat "$scratch/tobrel.log"; exit 1; }

# Each song becomes a row of the list once the silence after it has cut it.
paplay "$scratch/song1.wav"
fixture_wait 60 tracks_are 1 || { echo "FAIL: the first song did not become a track"; exit 1; }
paplay "$scratch/song2.wav"
fixture_wait 60 tracks_are 2 || { echo "FAIL: the second song did not become a track"; exit 1; }
paplay "$scratch/song3.wav" &
player=$!
# Five seconds into the third song: 48000 frames of 4 bytes a second.
fixture_wait 60 recorded_over $((56 + 5 * 48000 * 4)) || { echo "FAIL: the third song is not recorded"; exit 1; }
import -window root "$scratch/recording.png"
wait "$player"
fixture_wait 60 tracks_are 3 || echo "the third song did not become a track"
import -window root "$scratch/final.png"
kill -0 "$recorder" || { echo "FAIL: the recorder ended"; cat "$scratch/tobrel.log"; exit 1; }

# A second copy is refused with its message, and the first goes on.
"$build/Mains/recorder/tobrel" >"$scratch/second.log" 2>&1 &
second=$!
fixture_pids+=($second)
fixture_wait 20 xwininfo -name "Tobrel Message" || true
import -window root "$scratch/second-copy.png"
status=0
xwininfo -name "Tobrel Message" >/dev/null 2>&1 || { echo "FAIL: no message from the second copy"; status=1; }
kill "$second"; wait "$second" 2>/dev/null || true
kill -0 "$recorder" || { echo "FAIL: the first copy ended"; status=1; }

rows=$(sqlite3 "$db" "SELECT duration FROM caches ORDER BY creation_timestamp, id;")
echo "durations (ms): $(echo $rows)"
[ "$(echo "$rows" | wc -l)" -eq 3 ] || { echo "FAIL: expected 3 tracks"; status=1; }
i=0
for expected in 6500 8500 10500; do
  i=$((i + 1))
  got=$(echo "$rows" | sed -n "${i}p")
  if [ -z "$got" ] || [ $((got - expected)) -gt 400 ] || [ $((expected - got)) -gt 400 ]; then
    echo "FAIL: track $i lasts ${got:-nothing} ms, expected about $expected"; status=1
  fi
done
ls "$XDG_DATA_HOME/Tobrel/500/Cache" >"$scratch/cache-files.txt"
echo "screenshots: $scratch/recording.png $scratch/final.png"
exit $status
