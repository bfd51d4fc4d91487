#!/usr/bin/env bash
# Installs every Debian 12 package Quillory needs to build, run and test.
# Run as root on a fresh machine; quick when everything is already there.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libid3-3.8.3-dev libid3-tools zlib1g-dev libtag1-dev libpcre2-dev
  libgtest-dev libgmock-dev
  lame python3 python3-mutagen eyed3 id3v2 imagemagick strace
  xdg-utils xvfb xauth x11-apps fonts-dejavu-core
  openbox wmctrl  # a window manager under Xvfb, for the screenshots
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
fi
