#!/usr/bin/env bash
# capture-step: CPU time of the capture step as a fraction of the real time of
# the audio it takes, on scripted 48 kHz stereo and 96 kHz 6-channel packets
# written to a scrambled cache file; the last line gives the worse of the two.
# Needs $TOBREL_BUILD (a Release build tree).
set -euo pipefail
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
"$TOBREL_BUILD/bench/capturestep/capturestep_bench" "$scratch" 120
