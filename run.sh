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
# The recorder needs a desktop (an X11 display; XWayland on Wayland desktops)
# and records the default output of its sound server; without a display it
# says so and ends.
if [ -x "$build/Mains/recorder/tobrel" ]; then
  exec "$build/Mains/recorder/tobrel" "$@"
fi
echo "The recorder program is missing from the build ($build/Mains/recorder/tobrel)." >&2
exit 1
