#!/usr/bin/env bash
# Installs what building and testing need on Debian 12: the i686 mingw-w64
# cross compiler, 32-bit Wine with Mesa's software OpenGL, Xvfb/Xorg for a
# virtual display, PulseAudio for a null audio sink, GStreamer decoders for
# DirectShow, and the googletest sources. Quick when everything is present.
set -euo pipefail

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi

PKGS=(
  cmake make ninja-build python3 file
  g++-mingw-w64-i686 mingw-w64-i686-dev binutils-mingw-w64-i686
  googletest
  wine wine32:i386 wine64 libwine:i386
  libgl1:i386 libglx0:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386
  xvfb xauth x11-utils x11-apps x11-xserver-utils imagemagick
  xserver-xorg-core xserver-xorg-video-dummy libxrandr2:i386
  gstreamer1.0-plugins-base:i386 gstreamer1.0-plugins-good:i386
  pulseaudio pulseaudio-utils sox libsox-fmt-mp3 lame
  fonts-liberation
)

missing=()
for p in "${PKGS[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
