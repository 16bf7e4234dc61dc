#!/usr/bin/env bash
# Installs the Debian 12 packages Tobrel needs to build, run and test, when
# they are missing. Runs apt-get as root (directly, or through sudo).
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config ccache
  libgtest-dev libgmock-dev
  libsqlite3-dev qt6-base-dev libpulse-dev libmp3lame-dev libcurl4-openssl-dev libxcb1-dev
  # the YouTube Wizard's browser (loaded only when the wizard opens)
  qt6-webengine-dev qt6-webchannel-dev
  # run
  pulseaudio pulseaudio-utils xdg-utils ca-certificates
  libqt6webenginecore6-bin
  # test and benchmark peers: tools we did not write
  sqlite3 sox mpg123 ffmpeg lame python3-mutagen python3-numpy mp3val
  # fault injection on one file at a time (strace's syscall injection)
  strace
  # a real media player on the session bus (MPRIS)
  mpv mpv-mpris
  xvfb xauth x11-utils libxtst6 imagemagick fonts-dejavu-core
  # the whole-program benchmarks: clicks on a window under Xvfb, and a profiler
  xdotool linux-perf
  # a private session bus for the media-player tests (dbus-daemon, dbus-send)
  dbus-daemon dbus-bin
  # packaging: the Debian package and the checks of its desktop files
  dpkg-dev fakeroot file lintian desktop-file-utils appstream
  # the fuzz targets: clang and its libFuzzer and sanitizer runtimes
  clang libclang-rt-14-dev
  # the Windows syntax check of the portable modules (tools/portability-check.sh)
  g++-mingw-w64-x86-64-posix
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
# Wait for another package manager run to finish instead of failing on its lock.
lock=(-o DPkg::Lock::Timeout=600)
"${sudo[@]}" apt-get "${lock[@]}" update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get "${lock[@]}" install -y -qq --no-install-recommends "${missing[@]}"
