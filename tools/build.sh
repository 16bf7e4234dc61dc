#!/usr/bin/env bash
# Configures and builds Tobrel into build/ (or $TOBREL_BUILD_DIR) with two jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${TOBREL_BUILD_DIR:-build}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${TOBREL_CMAKE_ARGS:-} >/dev/null
cmake --build "$build" -j2
