#!/usr/bin/env bash
# Installs what is missing, builds, and starts the recorder.
set -euo pipefail
cd "$(dirname "$0")"
./tools/install-deps.sh
./tools/build.sh
build="${TOBREL_BUILD_DIR:-build}"
# Play the installer: record where the checkout is (the folder that holds
# Skins/) and when it was first installed, each only when not yet recorded.
"$build/tools/installer/tobrel-install-machine-values" "$PWD"
if [ -x "$build/Mains/recorder/tobrel" ]; then
  exec "$build/Mains/recorder/tobrel" "$@"
fi
echo "Tobrel is built. The recorder window is not part of this build yet:"
echo "so far the build holds the settings, folders, tracing and utility layers,"
echo "which './test.sh' exercises."
