#!/usr/bin/env bash
# capture-step: CPU time of the capture step as a fraction of the real time of
# the audio it takes, on scripted 48 kHz stereo and 96 kHz 6-channel packets of
# one period, and on 48 kHz periods that the sound-server layer's assembly
# makes of ragged fragments, written to a scrambled cache file; the last line
# gives the worst of the three.
# Needs $TOBREL_BUILD (a Release build tree).
set -euo pipefail
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
"$TOBREL_BUILD/bench/capturestep/capturestep_bench" "$scratch" 120
