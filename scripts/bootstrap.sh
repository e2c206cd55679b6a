#!/usr/bin/env bash
# Installs every Debian package the builds and tests need, once. Safe to run
# again: it does nothing when all of them are present. Needs root (or sudo).
set -euo pipefail

packages=(
  cmake make ninja-build g++ clang libclang-rt-14-dev
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine wine32:i386 xvfb xauth x11-apps xdotool
  googletest imagemagick
  zip unzip p7zip-full libarchive-tools python3 zlib1g-dev libjpeg62-turbo-dev
  dpkg-dev file fonts-dejavu-core time poppler-utils nsis
  fonts-wqy-microhei fonts-wine
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
done
# The deb-src entry is needed to fetch libjpeg-turbo's source package.
need_src=0
grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ /etc/apt/sources.list 2>/dev/null || need_src=1
[ ${#missing[@]} -eq 0 ] && [ $need_src -eq 0 ] && exit 0

SUDO=
[ "$(id -u)" -eq 0 ] || SUDO=sudo

if [ $need_src -eq 1 ]; then
  $SUDO tee /etc/apt/sources.list.d/setup-deb-src.sources >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
fi
dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
echo "bootstrap: installing ${missing[*]:-source lists}" >&2
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
[ ${#missing[@]} -eq 0 ] || $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
