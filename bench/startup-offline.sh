#!/usr/bin/env bash
# startup-offline: process start to the first painted window of the real
# recorder (Xvfb, a private PulseAudio server) with the web service at a
# closed local port and at a local server that accepts connections and never
# answers, against a local server that answers at once; medians of several
# starts each, the worse ratio last. Needs $TOBREL_BUILD (a Release build tree).
set -euo pipefail
for tool in Xvfb pulseaudio pactl; do
  command -v "$tool" >/dev/null || { echo "startup-offline needs $tool" >&2; exit 1; }
done
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
"$TOBREL_BUILD/bench/startupOffline/startup_offline" "$TOBREL_BUILD/Mains/recorder/tobrel" "$PWD" "$scratch" 25
