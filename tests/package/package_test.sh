#!/usr/bin/env bash
# The Debian package end to end, on this machine: built from the build tree
# with CPack, checked with lintian, installed with apt-get, the installed
# program run under the offscreen platform with a private sound server until
# its timer has listed a recording that the installed encoder library
# pre-encoded, then started from its menu entry's Exec line under Xvfb
# (screenshot desktop-entry.png in the scratch folder), and purged: the
# user's recordings and settings must be left exactly as they were.
#
# Every run installs the same package on the machine, so runs take turns on a
# lock; a tobrel package installed by someone else is left alone (SKIP).
#
# Usage: package_test.sh BUILD_DIR SCRATCH_DIR PREFIX MACHINE_ROOT
set -euo pipefail
build=$(realpath "$1"); scratch=$2; prefix=$3; root=$4
skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*"; exit 1; }

[ "$(id -u)" -eq 0 ] || skip "installing a package needs root"
for tool in cpack dpkg-deb dpkg-query apt-get lintian desktop-file-validate appstreamcli flock identify \
    compare convert pulseaudio pactl paplay sox sqlite3 Xvfb xwininfo xprop import; do
  command -v "$tool" >/dev/null || skip "$tool is missing"
done
rm -rf "$scratch"; mkdir -p "$scratch"; scratch=$(realpath "$scratch")
# shellcheck source=../support/fixture.sh
source "$(dirname "$0")/../support/fixture.sh"

package=tobrel
app_id=com.tobrel.Tobrel
apt=(apt-get -o DPkg::Lock::Timeout=600 -y -q --no-install-recommends)
lockdir=/run/lock; [ -d "$lockdir" ] || lockdir=/tmp
# Written before this test installs the package, removed once it is purged: a
# package found installed with this file present was left by a run that was
# stopped (the lock says no other run is going on).
marker=/var/tmp/tobrel-package-test.installed
installed_here=0

status() { dpkg-query -W -f='${db:Status-Abbrev}' "$package" 2>/dev/null || true; }
purge() {
  "${apt[@]}" purge "$package" >"$scratch/purge.log" 2>&1 || { cat "$scratch/purge.log"; return 1; }
  rm -f "$marker"
}
cleanup() {
  fixture_cleanup
  if [ "$installed_here" = 1 ] && [ -n "$(status)" ] && [[ "$(status)" != un* ]]; then purge || true; fi
}
trap cleanup EXIT

exec 9>"$lockdir/tobrel-package-test.lock"
flock -w 900 9 || skip "another run of this test held $lockdir/tobrel-package-test.lock for 15 minutes"
case "$(status)" in
  "" | un*) ;;
  *)
    if [ -e "$marker" ]; then
      echo "purging the package a stopped run of this test left installed"
      purge || fail "cannot purge the package a stopped run left"
    else
      skip "the $package package is installed on this machine (dpkg status '$(status)') by someone else;" \
        "this test installs and purges it, so it leaves it alone (dpkg --purge $package lets it run)"
    fi
    ;;
esac
[ ! -e "$root" ] || skip "$root exists without the package; it holds someone's machine-wide settings"

# -- The package: built from this tree, dependencies computed, lintian clean of errors.
(cd "$scratch" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/cpack") >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; fail "cpack could not build the package"; }
deb=$(ls "$scratch"/cpack/${package}_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in libpulse0 libqt6widgets6 libsqlite3-0 libmp3lame0 qt6-qpa-plugins; do
  [[ "$depends" == *"$library"* ]] || fail "the package does not depend on $library"
done
lintian --fail-on error --tag-display-limit 0 "$deb" >"$scratch/lintian.log" 2>&1 ||
  { cat "$scratch/lintian.log"; fail "lintian reports errors"; }
grep -v "root privileges" "$scratch/lintian.log" || true

# -- Installed: files where the package puts them, valid desktop files, the
# machine-wide values written by the install step.
echo $$ >"$marker"
installed_here=1
"${apt[@]}" install "$deb" >"$scratch/install.log" 2>&1 || { cat "$scratch/install.log"; fail "apt-get install"; }
share=$prefix/share
desktop=$share/applications/$app_id.desktop
metainfo=$share/metainfo/$app_id.metainfo.xml
skin=$share/tobrel/Skins/default_Tobrel
for file in "$prefix/bin/tobrel" "$prefix/lib/tobrel/liblame_enc.so" "$prefix/lib/tobrel/tobrel-install-machine-values" \
    "$skin/skin_definition.txt" "$skin/master.bmp" "$desktop" "$metainfo" \
    "$share/icons/hicolor/scalable/apps/$app_id.svg" "$share/man/man1/tobrel.1.gz" "$share/doc/tobrel/copyright"; do
  [ -f "$file" ] || fail "$file is missing"
done
for size in 16 22 24 32 48 64 128 256; do
  icon=$share/icons/hicolor/${size}x${size}/apps/$app_id.png
  [ "$(identify -format %wx%h "$icon")" = "${size}x${size}" ] || fail "$icon is not ${size}x${size}"
done
desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate $metainfo"

value() { cat "$root/SOFTWARE/Tobrel/500/$1/(default)"; }
[ "$(value top_folder)" = "$share/tobrel" ] || fail "top_folder is '$(value top_folder)'"
[[ "$(value date_installed)" =~ ^[0-9]+$ ]] || fail "date_installed is '$(value date_installed)'"
[ -n "$(value web_service_address)" ] || fail "web_service_address is empty"
unreadable=$(find "$root" \( -type d ! -perm -o=rx \) -o \( -type f ! -perm -o=r \))
[ -z "$unreadable" ] || fail "not readable by every user: $unreadable"
# A reinstall (as an upgrade does) keeps what the first install wrote.
printf 1000 >"$root/SOFTWARE/Tobrel/500/date_installed/(default)"
"${apt[@]}" install --reinstall "$deb" >"$scratch/reinstall.log" 2>&1 ||
  { cat "$scratch/reinstall.log"; fail "apt-get install --reinstall"; }
[ "$(value date_installed)" = 1000 ] || fail "the reinstall replaced date_installed"

# -- The installed program, offscreen, with a private sound server: it loads the
# package's encoder library at start, records a song, and its timer lists the
# recording once the encoder library has pre-encoded it.
fixture_profile "$scratch"
fixture_pulse "$scratch"
fixture_offline_service "$root"
unset TOBREL_MACHINE_REGISTRY
cache=$XDG_DATA_HOME/Tobrel/500/Cache
sox -n -r 48000 -c 2 "$scratch/song.wav" synth 4 sine 440 gain -6
QT_QPA_PLATFORM=offscreen "$prefix/bin/tobrel" >"$scratch/offscreen.log" 2>&1 &
program=$!
fixture_pids+=("$program")
fixture_wait 60 grep -q " $prefix/lib/tobrel/liblame_enc.so\$" "/proc/$program/maps" ||
  { cat "$scratch/offscreen.log"; fail "the program did not load $prefix/lib/tobrel/liblame_enc.so"; }
fixture_wait 30 sh -c 'pactl list short source-outputs | grep -q .' || fail "the program does not capture"
paplay "$scratch/song.wav"
listed() { [ "$(sqlite3 "$cache/cache.db" 'SELECT count(*) FROM caches;' 2>/dev/null)" -ge 1 ]; }
fixture_wait 60 listed || { cat "$scratch/offscreen.log"; fail "no recording was listed"; }
fixture_wait 60 sh -c "ls '$cache'/*.dat" || fail "the recording was not pre-encoded"
kill -0 "$program" 2>/dev/null || { cat "$scratch/offscreen.log"; fail "the program ended"; }
kill "$program"; wait "$program" 2>/dev/null || true

# -- Started as the menu starts it, under Xvfb: the window shows the skin.
fixture_xvfb "$scratch"
read -ra command <<<"$(sed -n 's/^Exec=//p' "$desktop")"
(unset QT_QPA_PLATFORM; cd "$HOME" && PATH="$prefix/bin:$PATH" exec "${command[@]}") >"$scratch/desktop.log" 2>&1 &
program=$!
fixture_pids+=("$program")
fixture_wait 60 xwininfo -name Tobrel || { cat "$scratch/desktop.log"; fail "no Tobrel window"; }
import -window root "$scratch/desktop-entry.png"
xprop -name Tobrel WM_CLASS | grep -q "\"$(sed -n 's/^StartupWMClass=//p' "$desktop")\"" ||
  fail "the window's class is not the menu entry's StartupWMClass: $(xprop -name Tobrel WM_CLASS)"
# grep reads all of xprop's long icon dump: with -q it could stop early, and
# xprop's broken pipe would fail the pipeline (pipefail) though the icon is there.
xprop -name Tobrel _NET_WM_ICON | grep "_NET_WM_ICON(CARDINAL) = " >/dev/null || fail "the window has no icon"
x=$(xwininfo -name Tobrel | sed -n 's/.*Absolute upper-left X: *//p')
y=$(xwininfo -name Tobrel | sed -n 's/.*Absolute upper-left Y: *//p')
# The logo area as the skin's master bitmap has it.
convert "$scratch/desktop-entry.png" -crop "168x38+$((x + 10))+$((y + 10))" +repage "$scratch/logo-shown.png"
convert "$skin/master.bmp" -crop 168x38+10+10 +repage "$scratch/logo-skin.png"
differing=$(compare -metric AE -fuzz 2% "$scratch/logo-shown.png" "$scratch/logo-skin.png" null: 2>&1 || true)
[ "$differing" = 0 ] || fail "the window does not show the skin's logo ($differing pixels differ)"
kill "$program"; wait "$program" 2>/dev/null || true
fixture_cleanup

# -- Purged: the program and the machine-wide values go, the user's files stay.
snapshot() { (cd "$HOME" && find . -type f -print0 | sort -z | xargs -0 sha256sum); }
before=$(snapshot)
purge || fail "apt-get purge"
installed_here=0
[ ! -e "$prefix/bin/tobrel" ] || fail "$prefix/bin/tobrel is still there"
[ ! -e "$root" ] || fail "$root is still there after purging"
[ "$(snapshot)" = "$before" ] || fail "purging changed the user's files"
[ -f "$cache/cache.db" ] || fail "the user's cache is gone"
echo "screenshot: $scratch/desktop-entry.png"
