#!/usr/bin/env bash
# Installs the cross compiler, 32-bit Wine, Xvfb, CMake and GoogleTest's
# sources when any of them is missing (Debian; needs root).
set -euo pipefail

missing=()
command -v i686-w64-mingw32-g++-posix >/dev/null || missing+=(g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev)
command -v wine >/dev/null && dpkg -s wine32:i386 >/dev/null 2>&1 || missing+=(wine wine32:i386)
command -v Xvfb >/dev/null || missing+=(xvfb xauth)
command -v cmake >/dev/null || missing+=(cmake)
[ -f /usr/src/googletest/CMakeLists.txt ] || missing+=(googletest)
command -v convert >/dev/null && convert -version 2>/dev/null | grep -q ImageMagick || missing+=(imagemagick)
command -v python3 >/dev/null || missing+=(python3)

[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
