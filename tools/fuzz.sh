#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer into build-fuzz/ (or
# $TOBREL_FUZZ_BUILD_DIR) and runs each one briefly: the ctest label `fuzz`.
# Only the fuzz targets and the small libraries they link are compiled. Extra
# arguments go to ctest; extra CMake options in $TOBREL_FUZZ_CMAKE_ARGS (for
# example -DFUZZ_SECONDS=600 for longer runs).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${TOBREL_FUZZ_BUILD_DIR:-build-fuzz}"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOBREL_FUZZ=ON \
  "${launcher[@]}" ${TOBREL_FUZZ_CMAKE_ARGS:-} >/dev/null
cmake --build "$build" -j2 --target fuzz
cd "$build"
ctest -L fuzz -j2 --output-on-failure "$@"
