#!/usr/bin/env bash
# Renders the default skin in each state the main window shows (idle, the
# four recording frames, playing, playback mode, every hover image) to PNG
# files, and puts them side by side in contact.png when ImageMagick is there.
#   tools/render-skin.sh [output folder]   (default: <build>/skin-renders)
# Uses the build tree $TOBREL_BUILD_DIR (default: build).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${TOBREL_BUILD_DIR:-build}"
out="${1:-$build/skin-renders}"
[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target skinrender -j2 >"$build/skinrender-build.log" || { cat "$build/skinrender-build.log"; exit 1; }
mkdir -p "$out"
QT_QPA_PLATFORM=offscreen "$build/tools/skinrender/skinrender" Skins "$out"
if command -v montage >/dev/null; then
  montage "$out"/idle_*.png "$out"/recording_frame_*.png "$out"/playing.png "$out"/playback_mode.png \
    -tile 2x -geometry +6+6 -background '#444' "$out/contact.png"
  echo "$out/contact.png"
fi
