# Shell fixture for tests that run the real program: a scratch user profile, a
# private PulseAudio server with null sinks, and an X server (Xvfb). Source it,
# then call the pieces a test needs; every process started here is ended by
# fixture_cleanup, which the test calls from its EXIT trap.

fixture_pids=()

# Ends every process the fixture (or the test, through fixture_pids) started.
fixture_cleanup() {
  local pid
  for pid in "${fixture_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${fixture_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  fixture_pids=()
}

# Waits up to $1 seconds for the command after it to succeed.
fixture_wait() {
  local seconds=$1; shift
  local deadline=$((SECONDS + seconds))
  until "$@" >/dev/null 2>&1; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

# A user profile of its own below SCRATCH, and a private single-instance lock.
fixture_profile() {
  local scratch=$1
  export HOME="$scratch/home"
  export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share"
  export XDG_RUNTIME_DIR="$scratch/run"
  mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  export TOBREL_INSTANCE_LOCK_DIR="$scratch"
  unset WAYLAND_DISPLAY
}

# A private sound server (after fixture_profile): a "Speakers" null sink, the
# default output, and the companion enhancer's virtual output, which the
# recorder must leave alone.
fixture_pulse() {
  local scratch=$1
  cat >"$scratch/server.pa" <<PA
load-module module-native-protocol-unix auth-anonymous=1
load-module module-null-sink sink_name=speakers format=float32le rate=48000 sink_properties=device.description=Speakers norewinds=1
load-module module-null-sink sink_name=enhancer format=float32le rate=48000 sink_properties=device.description=Zentic\ Audio\ Enhancer\ 11.1 norewinds=1
set-default-sink speakers
PA
  echo "autospawn = no" >"$scratch/client.conf"
  export PULSE_CLIENTCONFIG="$scratch/client.conf"
  export PULSE_SERVER="unix:$XDG_RUNTIME_DIR/pulse/native"
  pulseaudio -n -F "$scratch/server.pa" --daemonize=no --exit-idle-time=-1 --disallow-exit \
    >"$scratch/pulse.log" 2>&1 &
  fixture_pids+=($!)
  fixture_wait 10 pactl info || { echo "FAIL: the sound server did not start"; cat "$scratch/pulse.log"; return 1; }
}

# An X server on a display it chooses itself; exports DISPLAY.
fixture_xvfb() {
  local scratch=$1
  : >"$scratch/display"
  Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$scratch/display" >"$scratch/xvfb.log" 2>&1 &
  fixture_pids+=($!)
  fixture_wait 20 test -s "$scratch/display" || { echo "FAIL: Xvfb did not start"; cat "$scratch/xvfb.log"; return 1; }
  export DISPLAY=":$(head -n1 "$scratch/display")"
  fixture_wait 20 xwininfo -root || { echo "FAIL: the X display does not answer"; return 1; }
}

# Points the web service of the machine-wide settings below ROOT at a local
# port nobody listens on, and bypasses any proxy: the program under test
# stays off the network (its web side jobs fail at once, in the background).
fixture_offline_service() {
  local key="$1/SOFTWARE/Tobrel/500/web_service_address"
  mkdir -p "$key"
  printf 'http://127.0.0.1:1' >"$key/(default)"
  export no_proxy='*' NO_PROXY='*'
}
