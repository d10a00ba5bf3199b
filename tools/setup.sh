#!/usr/bin/env bash
# Installs what building and testing need on Debian 12: the i686 mingw-w64
# cross compiler (and the x86-64 one for machines that cannot run 32-bit
# code), 32- and 64-bit Wine with Mesa's software OpenGL, Xvfb/Xorg for a
# virtual display, PulseAudio for a null audio sink, GStreamer decoders for
# DirectShow, and the googletest sources. Quick when everything is present.
set -euo pipefail

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi

PKGS=(
  cmake make ninja-build python3 file
  g++-mingw-w64-i686 mingw-w64-i686-dev binutils-mingw-w64-i686
  g++-mingw-w64-x86-64 mingw-w64-x86-64-dev
  googletest
  wine wine32:i386 wine64 libwine:i386
  libgl1:i386 libglx0:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386
  libgl1:amd64 libglx0:amd64 libglx-mesa0:amd64 libgl1-mesa-dri:amd64
  xvfb xauth x11-utils x11-apps x11-xserver-utils imagemagick
  xserver-xorg-core xserver-xorg-video-dummy libxrandr2:i386 libxrandr2:amd64
  gstreamer1.0-plugins-base:i386 gstreamer1.0-plugins-good:i386
  gstreamer1.0-plugins-base:amd64 gstreamer1.0-plugins-good:amd64
  pulseaudio pulseaudio-utils sox libsox-fmt-mp3 lame
  fonts-liberation fonts-wine gdb
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
