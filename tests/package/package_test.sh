#!/usr/bin/env bash
# The Debian package as a user gets it: built by CPack from the install rules, checked by
# lintian and appstreamcli, unpacked with dpkg -x and run from there without a display.
# usage: package_test.sh BUILD_DIR
set -euo pipefail
build="$(cd "$1" && pwd)"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
umask 022
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

version="$(sed -n 's/.*kVersion = "\(.*\)";.*/\1/p' "$build/generated/quillon_version.h")"
arch="$(dpkg --print-architecture)"
[ -n "$version" ] || { echo "FAIL: no version in the generated header"; exit 1; }

if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log"
  echo "FAIL: cpack"
  exit 1
fi
deb="$scratch/out/quillon_${version}_${arch}.deb"
[ -f "$deb" ] || { ls "$scratch/out"; echo "FAIL: no $(basename "$deb")"; exit 1; }

# Control fields: the project's version, ffmpeg, and the libraries dpkg-shlibdeps found.
[ "$(dpkg-deb -f "$deb" Package)" = quillon ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "control version $(dpkg-deb -f "$deb" Version)"
depends="$(dpkg-deb -f "$deb" Depends)"
for dep in ffmpeg libc6 libqt6widgets6 libsndfile1 libopenmpt0 libcdio19; do
  grep -Eq "(^|, )$dep( |,|$)" <<<"$depends" || fail "Depends lacks $dep: $depends"
done

# The file list: everything a desktop and man expect, nothing from the build tree.
dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|; s|/$||' | sort >"$scratch/files"
for f in /usr/bin/quillon /usr/bin/quillon-cli \
         /usr/lib/quillon/quillon /usr/lib/quillon/quillon-cli /usr/lib/quillon/ferrox \
         /usr/lib/quillon/ferrox-probe /usr/lib/quillon/tavrel /usr/lib/quillon/help/index.html \
         /usr/share/applications/quillon.desktop /usr/share/metainfo/org.example.quillon.metainfo.xml \
         /usr/share/icons/hicolor/scalable/apps/quillon.svg \
         /usr/share/icons/hicolor/16x16/apps/quillon.png /usr/share/icons/hicolor/48x48/apps/quillon.png \
         /usr/share/icons/hicolor/256x256/apps/quillon.png \
         /usr/share/man/man1/quillon.1.gz /usr/share/man/man1/quillon-cli.1.gz \
         /usr/share/doc/quillon/copyright /usr/share/doc/quillon/changelog.gz; do
  grep -qx "$f" "$scratch/files" || fail "missing $f"
done
strays="$(grep -Ev '^(/|/usr|/usr/bin(/.*)?|/usr/lib|/usr/lib/quillon(/.*)?|/usr/share|/usr/share/(applications|metainfo|icons|man|doc)(/.*)?)$' "$scratch/files" || true)"
[ -z "$strays" ] || fail "unexpected files: $strays"
dpkg-deb -c "$deb" | awk '$1 ~ /^l/ && $6 ~ /usr\/bin\/quillon-cli$/ { print $8 }' | grep -qx '../lib/quillon/quillon-cli' \
  || fail "usr/bin/quillon-cli is not a relative link into the program folder"

if ! lintian --fail-on error --tag-display-limit 0 "$deb" >"$scratch/lintian.log" 2>&1; then
  cat "$scratch/lintian.log"
  fail "lintian reports errors"
fi

dpkg -x "$deb" "$scratch/root"
if ! appstreamcli validate --no-net "$scratch/root/usr/share/metainfo/org.example.quillon.metainfo.xml" \
     >"$scratch/appstream.log" 2>&1; then
  cat "$scratch/appstream.log"
  fail "appstreamcli validate"
fi
for page in quillon quillon-cli; do
  warnings="$(LC_ALL=C MANWIDTH=80 man --warnings -l "$scratch/root/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null || true)"
  [ -z "$warnings" ] || fail "man page $page: $warnings"
done

# Run from the unpacked tree, with no display and a fresh configuration.
export HOME="$scratch/home" QUILLON_CONFIG_DIR="$scratch/config" TMPDIR="$scratch/tmp"
mkdir -p "$HOME" "$QUILLON_CONFIG_DIR" "$TMPDIR"
unset DISPLAY WAYLAND_DISPLAY
bin="$scratch/root/usr/bin"
[ "$("$bin/quillon-cli" --version)" = "quillon-cli (Quillon) $version" ] || fail "quillon-cli --version"
[ "$("$bin/quillon" --version)" = "quillon (Quillon) $version" ] || fail "quillon --version"
formats="$("$bin/quillon-cli" formats)" || fail "quillon-cli formats exits with $?"
[ "$(grep -c . <<<"$formats")" -ge 79 ] || fail "quillon-cli formats lists $(grep -c . <<<"$formats") lines"
# The probe runs the unpacked ferrox, found through the link's resolved path.
ffmpeg -v error -f lavfi -i "sine=frequency=440:duration=0.3" "$scratch/tone.wav"
probe="$("$bin/quillon-cli" probe "$scratch/tone.wav" 2>&1)" || fail "quillon-cli probe: $probe"

[ "$failures" -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "package $(basename "$deb") passes"
