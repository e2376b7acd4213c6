#!/usr/bin/env bash
# Installs everything the build and the three test tiers need on a bare Debian 12
# machine. Idempotent: when every package is already present it only checks and exits.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ make pkg-config
  mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  googletest libgtest-dev
  # running Windows code
  wine wine64 wine32:i386 libwine:i386
  # Direct3D under Wine draws through Mesa's software OpenGL, for both word sizes
  libgl1 libgl1-mesa-dri libglx-mesa0 libgl1:i386 libgl1-mesa-dri:i386 libglx-mesa0:i386
  # the end-to-end harness
  xvfb xauth x11-utils x11-xserver-utils xdotool imagemagick
  xserver-xephyr pulseaudio pulseaudio-utils sox libsox-fmt-mp3 libimage-exiftool-perl
  # Wine's MCI decodes music through GStreamer: WAV, MP3 and Ogg need the base
  # and good plugins of the word size of the program that plays
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-base:i386 gstreamer1.0-plugins-good:i386
  python3 python3-pytest procps bc
  # the release: installers and the zip
  nsis zip
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$p" 2>/dev/null || true)
  [[ "$status" == ii* ]] || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
  echo "bootstrap: everything is installed"
  exit 0
fi

if [[ $(id -u) -ne 0 ]]; then
  echo "bootstrap: missing packages: ${missing[*]}" >&2
  echo "bootstrap: run this script as root to install them" >&2
  exit 1
fi

echo "bootstrap: installing ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
echo "bootstrap: done"
