#!/usr/bin/env bash
# Configures and builds Tobrel into build/ (or $TOBREL_BUILD_DIR) with two jobs.
# Where ccache is installed, compilations go through it with paths taken
# relative to the checkout, so another checkout or a fresh clone of the same
# sources reuses the objects.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${TOBREL_BUILD_DIR:-build}"
launcher=()
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
  export CCACHE_SLOPPINESS="${CCACHE_SLOPPINESS:-time_macros,include_file_mtime,include_file_ctime}"
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" ${TOBREL_CMAKE_ARGS:-} >/dev/null
cmake --build "$build" -j2
