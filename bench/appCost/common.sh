# Shared by the whole-program benchmarks (app-idle, app-recording,
# startup-5000); sourced, never run. Gives a private PulseAudio server with a
# null sink as the default output, scratch profiles of the real program, the
# peers (parec and a minimal Qt window with our 100 ms timer), CPU time from
# /proc and the clean-up of everything it started. Needs $TOBREL_BUILD.
set -euo pipefail

scratch="$(mktemp -d)"
started_pids=()
server_pid=""
tobrel="$TOBREL_BUILD/Mains/recorder/tobrel"
setup="$TOBREL_BUILD/bench/appCost/appcost_setup"
idle_window="$TOBREL_BUILD/bench/appCost/appcost_idle_window"
checkout="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

appcost_cleanup() {
  local p
  for p in "${started_pids[@]}"; do kill -9 "$p" 2>/dev/null || true; done
  for p in "${started_pids[@]}"; do wait "$p" 2>/dev/null || true; done
  if [ -n "$server_pid" ]; then
    kill -9 "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  rm -rf "$scratch"
}
trap appcost_cleanup EXIT

# Remembers a started process so that the clean-up ends it; stops it now.
stop_pid() {
  kill -9 "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}

start_sound_server() {
  mkdir -p "$scratch/pulse/run"
  chmod 700 "$scratch/pulse/run"
  cat > "$scratch/pulse/bench.pa" <<'PA'
load-module module-native-protocol-unix auth-anonymous=1
load-module module-null-sink sink_name=bench_speakers format=float32le rate=48000 channels=2 sink_properties=device.description=Speakers norewinds=1
set-default-sink bench_speakers
PA
  echo "autospawn = no" > "$scratch/pulse/client.conf"
  HOME="$scratch/pulse" XDG_RUNTIME_DIR="$scratch/pulse/run" pulseaudio -n -F "$scratch/pulse/bench.pa" \
    --daemonize=no --exit-idle-time=-1 --disallow-exit --log-level=error \
    --log-target=file:"$scratch/pulse/pulse.log" &
  server_pid=$!
  export PULSE_SERVER="unix:$scratch/pulse/run/pulse/native"
  export PULSE_CLIENTCONFIG="$scratch/pulse/client.conf"
  for _ in $(seq 500); do pactl info >/dev/null 2>&1 && return 0; sleep 0.02; done
  echo "the sound server did not start" >&2
  exit 1
}

# A scratch profile in $scratch/NAME: HOME and the XDG folders, the machine
# settings as installed (this checkout's skins). Sets profile_cache and
# profile_documents. With "trace", tracing is on.
make_profile() {
  local name="$1" trace="${2:-}"
  local home="$scratch/$name"
  mkdir -p "$home/.config" "$home/.local/share" "$home/usr/share" "$home/machine" "$home/lock"
  local out
  out="$(profile_env "$name" "$setup" profile "$checkout")"
  profile_cache="$(sed -n 1p <<< "$out")"
  profile_documents="$(sed -n 2p <<< "$out")"
  [ "$trace" = trace ] || rm -f "$profile_documents/trace_on.txt"
}

# Runs a command in profile NAME's environment ("exec NAME ..." replaces the
# shell with it).
profile_env() {
  local run=()
  if [ "$1" = exec ]; then
    run=(exec)
    shift
  fi
  local home="$scratch/$1"
  shift
  "${run[@]}" env -u XDG_DOCUMENTS_DIR -u XDG_MUSIC_DIR HOME="$home" XDG_CONFIG_HOME="$home/.config" \
    XDG_DATA_HOME="$home/.local/share" XDG_DATA_DIRS="$home/usr/share" \
no_proxy='*' TOBREL_MACHINE_REGISTRY="$home/machine" TOBREL_INSTANCE_LOCK_DIR="$home/lock" "$@"
}

# Starts the real program in profile NAME; sets app_pid (the program's own:
# the background shell execs it).
start_app() {
  profile_env exec "$1" "$tobrel" > "$scratch/$1.out" 2>&1 &
  app_pid=$!
  started_pids+=("$app_pid")
}

start_idle_window() {
  "$idle_window" > /dev/null 2>&1 &
  window_pid=$!
  started_pids+=("$window_pid")
}

start_parec() {
  parec --device=bench_speakers.monitor --format=float32le --rate=48000 --channels=2 --latency-msec=10 \
    --raw > "$scratch/parec.raw" &
  parec_pid=$!
  started_pids+=("$parec_pid")
}

# Waits until process PID has a capture stream on the sound server (the
# program's record thread is up and capturing).
wait_capturing() {
  local pid="$1" i
  for i in $(seq 1500); do
    pactl list source-outputs 2>/dev/null | grep -q "application.process.id = \"$pid\"" && return 0
    kill -0 "$pid" 2>/dev/null || { echo "process $pid ended before it captured" >&2; return 1; }
    sleep 0.02
  done
  echo "process $pid never captured" >&2
  return 1
}

# CPU time of a running process, all its threads, in seconds (scheduler
# statistics: nanoseconds, not clock ticks).
cpu_of() { awk '{ t += $1 } END { printf "%.4f", t / 1e9 }' /proc/"$1"/task/*/schedstat; }

# CPU time over SECONDS of the program and its two peers, side by side: sets
# app_cpu, parec_cpu and window_cpu from app_pid, parec_pid and window_pid.
measure_cpu() {
  local a0 p0 w0
  a0="$(cpu_of "$app_pid")"; p0="$(cpu_of "$parec_pid")"; w0="$(cpu_of "$window_pid")"
  sleep "$1"
  kill -0 "$app_pid" || { echo "tobrel ended" >&2; exit 1; }
  app_cpu="$(awk -v a="$a0" -v b="$(cpu_of "$app_pid")" 'BEGIN { printf "%.4f", b - a }')"
  parec_cpu="$(awk -v a="$p0" -v b="$(cpu_of "$parec_pid")" 'BEGIN { printf "%.4f", b - a }')"
  window_cpu="$(awk -v a="$w0" -v b="$(cpu_of "$window_pid")" 'BEGIN { printf "%.4f", b - a }')"
}

# One round: runs "measure ARGS...", which ends with measure_cpu, prints LABEL
# with the figures and sets round_ratio (tobrel CPU / the peers' CPU).
side_by_side() {
  local label="$1" peer
  shift
  measure "$@"
  peer="$(awk -v a="$parec_cpu" -v b="$window_cpu" 'BEGIN { printf "%.4f", a + b }')"
  round_ratio="$(ratio_of "$app_cpu" "$peer")"
  echo "${label}: tobrel ${app_cpu} s CPU, parec ${parec_cpu} s + window ${window_cpu} s = ${peer} s, ratio ${round_ratio}"
}

ratio_of() { awk -v a="$1" -v b="$2" 'BEGIN { if (b <= 0) b = 0.0001; printf "%.2f", a / b }'; }

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
best() { printf '%s\n' "$@" | sort -g | head -n 1; }
