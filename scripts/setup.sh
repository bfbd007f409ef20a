#!/usr/bin/env bash
# Installs everything Vexaframe needs to build, run and test on a Debian machine.
# Safe to run again: it only installs what is missing. Needs root.
set -euo pipefail

packages=(
  cmake ninja-build g++ googletest libbenchmark-dev          # native build and tests
  clang libclang-rt-14-dev                                   # sanitizers and libFuzzer
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev           # Windows cross build
  wine64 xvfb xdotool x11-apps imagemagick                   # running and driving it
  xserver-xorg-core xserver-xorg-video-dummy                 # two monitors for Wine: Xorg's
  x11-xserver-utils                                          #   dummy driver, and xrandr
  libjpeg-turbo-progs                                        # lossless JPEG turns for the tests
  pkg-config libjpeg-dev libgif-dev libwmf-dev               # pictures on Linux: libjpeg-turbo,
  fonts-dejavu-core                                          #   giflib, libwmf and its fonts
  libpng-dev libwebp-dev webp                                # PNG and WebP pictures on Linux, and
                                                             #   cwebp, img2webp for the tests' files
  libheif-dev libavif-dev                                    # HEIF and AVIF pictures on Linux:
  libheif-examples libavif-bin                               #   libheif, libavif; their encoders
  libgl1-mesa-dri libglx-mesa0                               # Mesa's llvmpipe: Wine's Direct3D
                                                             #   and the OpenGL device's tests
  libx11-dev libopengl-dev libglx-dev libgl-dev              # the OpenGL device through GLX
  libxext-dev libxrandr2                                     # the native program: MIT-SHM images,
                                                             #   the display's refresh rate
  xscreensaver xscreensaver-gl                               # the daemon that runs it as a module,
                                                             #   and its probe of the GL visual
  fonts-ipafont-gothic locales                               # Japanese texts and code page 932
  libfreetype-dev libfontconfig-dev                          # captions on Linux: fontconfig
                                                             #   finds the fonts, FreeType draws
  xscreensaver-data libxdamage1                              # the native benchmark: the OpenGL
                                                             #   slideshow's picture loader, and
                                                             #   DAMAGE for frame times
  python3                                                    # the end-to-end test driver
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine only takes code page 932 from LC_ALL=ja_JP.UTF-8 once the host has that locale.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen >/dev/null
fi
