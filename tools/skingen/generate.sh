#!/usr/bin/env bash
# Rebuilds the default skin, Skins/default_Tobrel, and the application icon,
# packaging/icons/hicolor, from the generator's code.
# Uses the build tree $TOBREL_BUILD_DIR (default: build) and two jobs.
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${TOBREL_BUILD_DIR:-build}"
[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target skingen -j2
mkdir -p Skins/default_Tobrel
QT_QPA_PLATFORM=offscreen "$build/tools/skingen/skingen" Skins/default_Tobrel
rm -rf packaging/icons/hicolor
QT_QPA_PLATFORM=offscreen "$build/tools/skingen/skingen" --icons packaging/icons
echo "Skins/default_Tobrel and packaging/icons regenerated"
