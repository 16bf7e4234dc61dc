#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Extra arguments go to
# ctest, for example: ./test.sh -L unit   or   ./test.sh -R recCache
set -euo pipefail
cd "$(dirname "$0")"
./tools/install-deps.sh
./tools/build.sh
cd "${TOBREL_BUILD_DIR:-build}"
ctest --output-on-failure -j2 "$@"
