#!/usr/bin/env bash
# engine-vs-parec: the CPU time the engine spends recording 20 s of played
# audio, against parec recording the same audio from the same monitor at the
# same time, with the same 10 ms fragments (what the engine's capture stream
# asks for). Both run side by side on a private PulseAudio server with a null
# sink. Each side's CPU time is a few tenths of a second, so the load of the
# machine moves it: five rounds are run and the median ratio engine CPU /
# parec CPU is the figure. Needs $TOBREL_BUILD (a Release build tree).
set -euo pipefail
seconds=20
rounds=5
scratch="$(mktemp -d)"
server_pid=""
cleanup() {
  [ -n "$server_pid" ] && kill -9 "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

mkdir -p "$scratch/run" "$scratch/cache"
chmod 700 "$scratch/run"
cat > "$scratch/bench.pa" <<'EOF'
load-module module-native-protocol-unix auth-anonymous=1
load-module module-null-sink sink_name=bench_speakers format=float32le rate=48000 channels=2 sink_properties=device.description=Speakers norewinds=1
set-default-sink bench_speakers
EOF
HOME="$scratch" XDG_RUNTIME_DIR="$scratch/run" pulseaudio -n -F "$scratch/bench.pa" --daemonize=no \
  --exit-idle-time=-1 --disallow-exit --log-level=error --log-target=file:"$scratch/pulse.log" &
server_pid=$!
export PULSE_SERVER="unix:$scratch/run/pulse/native"
for _ in $(seq 200); do pactl info >/dev/null 2>&1 && break; sleep 0.02; done

# Music-like and never quiet (a track ending mid-run would add its MP3
# pre-encoding): a sawtooth and a sine with a tremolo, well under full scale.
sox -n -r 48000 -c 2 -e floating-point -b 32 "$scratch/music.wav" \
  synth "$((seconds + 1))" sawtooth 110 sine 330 tremolo 5 60 gain -10

# CPU time of a running process, all its threads, in seconds (scheduler
# statistics: nanoseconds, not clock ticks, so 20 s of light work measures well).
cpu_of() { awk '{ t += $1 } END { printf "%.4f", t / 1e9 }' /proc/"$1"/task/*/schedstat; }

# One round: prints "engine_cpu parec_cpu".
round() {
  rm -rf "$scratch/cache" "$scratch/parec.raw"
  mkdir -p "$scratch/cache"
  paplay "$scratch/music.wav" &
  local player=$!
  sleep 0.2
  "$TOBREL_BUILD/bench/engineVsParec/engine_record" "$scratch/cache" 0 14940 \
    "$TOBREL_BUILD/Mains/recorder/liblame_enc.so" > "$scratch/engine.out" &
  local engine=$!
  parec --device=bench_speakers.monitor --format=float32le --rate=48000 --channels=2 --latency-msec=10 \
    --raw > "$scratch/parec.raw" &
  local parec=$!
  sleep "$seconds"
  local engine_cpu parec_cpu
  engine_cpu="$(cpu_of "$engine")"
  parec_cpu="$(cpu_of "$parec")"
  kill -9 "$engine" "$parec" "$player" 2>/dev/null || true
  wait "$engine" "$parec" "$player" 2>/dev/null || true
  grep -q armed "$scratch/engine.out" || { echo "the engine did not come up" >&2; exit 1; }
  [ -s "$scratch/parec.raw" ] || { echo "parec recorded nothing" >&2; exit 1; }
  echo "$engine_cpu $parec_cpu"
}

echo "recording ${seconds} s side by side on one monitor, ${rounds} rounds"
ratios=()
for r in $(seq "$rounds"); do
  read -r engine_cpu parec_cpu < <(round)
  ratio="$(awk -v a="$engine_cpu" -v b="$parec_cpu" 'BEGIN { if (b <= 0) b = 0.0001; printf "%.2f", a / b }')"
  echo "round $r: engine ${engine_cpu} s CPU, parec ${parec_cpu} s CPU, ratio ${ratio}"
  ratios+=("$ratio")
done
median="$(printf '%s\n' "${ratios[@]}" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')"
echo "engine-vs-parec ratio=${median} target=1.0"
