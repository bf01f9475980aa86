#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks that the installed
# programs run from there: the version without a window, the command line on
# the installed demo race with the installed icons, and the desktop files.
# usage: install_test.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() {
  echo "install test: $*" >&2
  exit 1
}

cmake --install "$build" --prefix "$prefix" >/dev/null

for f in bin/velaro bin/velaro-cli share/velaro/demo/raceadmin/racefile.st share/velaro/demo/help-e/index.html \
  share/velaro/ya/buoi.png share/velaro/translations/velaro_ja.qm share/velaro/demo/help/about.html \
  share/velaro/demo/help-e/about.html share/applications/io.github.velaro.Velaro.desktop \
  share/metainfo/io.github.velaro.Velaro.metainfo.xml share/icons/hicolor/scalable/apps/io.github.velaro.Velaro.svg; do
  [ -e "$prefix/$f" ] || fail "$f is not installed"
done
[ "$(find "$prefix/share/velaro/ya" -name '*.png' | wc -l)" -eq 37 ] || fail "the KML icons are not all installed"

# No display and no platform plugin chosen: the answer must not need a window.
version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/velaro" --version)
[[ "$version" =~ ^velaro\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "velaro --version printed '$version'"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/velaro" --help | grep -q -- '--races' ||
  fail "velaro --help does not explain --races"

race="$prefix/share/velaro/demo/raceadmin/enoshima-spring.txt"
info=$("$prefix/bin/velaro-cli" info "$race") || fail "velaro-cli info failed on the installed demo race"
[ -n "$info" ] || fail "velaro-cli info printed nothing"

# The installed demo folder stays untouched by an export; the icons named are
# the installed ones.
kml=$("$prefix/bin/velaro-cli" kml "$race") || fail "velaro-cli kml failed on the installed demo race"
grep -q "<href>$prefix/share/velaro/ya/" <<<"$kml" || fail "the export does not name the installed icons"
[ ! -e "$prefix/share/velaro/demo/ya" ] || fail "the export wrote into the races folder"

# FFmpeg is a module of its own, installed beside the programs' libraries and
# loaded only for a video; the command line maps none of its libraries.
module=$(find "$prefix" -name 'libvelaro_ffmpeg.so' -print -quit)
[ -n "$module" ] || fail "the FFmpeg module is not installed"
libs=$(ldd "$prefix/bin/velaro-cli")
[[ "$libs" != *libavcodec* ]] || fail "velaro-cli links FFmpeg"
[ "$(wc -l <<<"$libs")" -le 60 ] || fail "velaro-cli maps more than 60 libraries"
video=$("$prefix/bin/velaro-cli" video "$race" --from -10 --to 0 --size 320x180 -o "$prefix/clip.mp4") ||
  fail "velaro-cli video failed with the installed module"
[ -s "$prefix/clip.mp4" ] || fail "velaro-cli video wrote no video: $video"

desktop-file-validate "$prefix/share/applications/io.github.velaro.Velaro.desktop" ||
  fail "desktop-file-validate refused the desktop entry"
appstreamcli validate --no-net "$prefix/share/metainfo/io.github.velaro.Velaro.metainfo.xml" >/dev/null ||
  fail "appstreamcli refused the metainfo file"
echo "install test: passed ($prefix)"
