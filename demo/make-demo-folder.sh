#!/usr/bin/env bash
# Lays out a demo setup folder: Setup.exe and, beside it, what a shipped setup
# carries ("Lang\setup.jpg", the welcome picture, drawn here by ImageMagick).
set -euo pipefail
exe=$1 dest=$2
mkdir -p "$dest/Lang"
cp -f "$exe" "$dest/Setup.exe"
if [ ! -f "$dest/Lang/setup.jpg" ]; then
  convert -size 201x348 gradient:'#1d4f91'-'#7fb2e5' \
    -font /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf -fill white -pointsize 26 -gravity north -annotate +0+40 'Zantivo' \
    -quality 92 "$dest/Lang/setup.jpg"
fi
