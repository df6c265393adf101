#!/usr/bin/env bash
# Installs the Debian packages Quillon needs to build, run and test. Only what is missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  clang libclang-rt-14-dev
  ffmpeg
  libgtest-dev libgmock-dev libbenchmark-dev
  libfmt-dev
  libsndfile1-dev sndfile-programs
  libopenmpt-dev
  libcdio-dev libcdio-paranoia-dev
  libopencore-amrnb-dev libvo-amrwbenc-dev
  libbcg729-dev espeak-ng
  libavformat-dev libavcodec-dev libavutil-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  xvfb xauth fonts-dejavu-core dbus
  dpkg-dev file lintian appstream man-db parallel
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
