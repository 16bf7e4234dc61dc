#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test, then builds the fuzz
# targets with clang and runs each briefly (tools/fuzz.sh, label fuzz). Extra
# arguments go to ctest of the main build only, and leave the fuzz runs out,
# for example: ./test.sh -L unit   or   ./test.sh -R recCache
set -euo pipefail
cd "$(dirname "$0")"
./tools/install-deps.sh
./tools/build.sh
status=0
(cd "${TOBREL_BUILD_DIR:-build}" && ctest --output-on-failure -j2 "$@") || status=$?
if [ $# -eq 0 ]; then
  ./tools/fuzz.sh || status=$?
fi
exit "$status"
