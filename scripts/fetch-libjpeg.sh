#!/usr/bin/env bash
# Unpacks Debian's libjpeg-turbo source package into DIR (once). The source is
# built inside the build tree and never committed.
set -euo pipefail
dest=$1
[ -f "$dest/CMakeLists.txt" ] && exit 0
work=$(mktemp -d "${dest%/*}/.fetch.XXXXXX")
trap 'rm -rf "$work"' EXIT
(cd "$work" && apt-get source -qq libjpeg-turbo >/dev/null 2>&1) || {
  echo "fetch-libjpeg: 'apt-get source libjpeg-turbo' failed; run scripts/bootstrap.sh as root first" >&2
  exit 1
}
src=$(find "$work" -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n 1)
rm -rf "$dest"
mv "$src" "$dest"
