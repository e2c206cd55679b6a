#!/usr/bin/env bash
# Installs every Debian package the builds and tests need, once. Safe to run
# again: it does nothing when all of them are present. Needs root (or sudo).
set -euo pipefail

packages=(
  cmake make ninja-build g++ clang libclang-rt-14-dev
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth x11-apps xdotool
  googletest imagemagick
  zip unzip p7zip-full libarchive-tools python3 python3-yaml zlib1g-dev libjpeg62-turbo-dev
  dpkg-dev file fonts-dejavu-core time poppler-utils nsis
  fonts-wqy-microhei fonts-wine
  osslsigncode openssl
)

# Wine's 32-bit loader only where this kernel starts 32-bit programs (some run
# with 32-bit emulation switched off, and there it would never start). The
# question is put to the kernel itself: a 12-byte i386 program that exits 0.
starts_32_bit() {
  local probe
  probe=$(mktemp)
  # ELF header (52 bytes), one loadable segment (32 bytes), then
  # "xor ebx,ebx; mov eax,1; int 0x80": exit(0).
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'\
'\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'\
'\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'\
'\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'\
'\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'\
'\x31\xdb\xb8\x01\x00\x00\x00\xcd\x80\x90\x90\x90' >"$probe"
  chmod +x "$probe"
  local status=0
  "$probe" 2>/dev/null || status=1
  rm -f "$probe"
  return $status
}
with_32_bit=0
if starts_32_bit; then
  with_32_bit=1
  packages+=(wine32:i386)
fi

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
[ $with_32_bit -eq 0 ] || dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
echo "bootstrap: installing ${missing[*]:-source lists}" >&2
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
[ ${#missing[@]} -eq 0 ] || $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
