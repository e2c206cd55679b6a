#!/usr/bin/env bash
# Draws the form's built-in pictures with ImageMagick:
#   welcome.jpg  201 x 348  the welcome and finish pages' strip (JPEG)
#   folder.rgba   47 x 42   the destination page's folder (raw RGBA, blended
#   product.rgba  48 x 48   the product picture            onto the face colour)
set -euo pipefail
out=$1
mkdir -p "$out"
cd "$out"

# A scanned page rising out of a deep blue field, with the scanner's light line.
convert -size 201x348 gradient:'#0a2f5c'-'#1b7f95' \
  \( -size 201x348 radial-gradient:'rgba(255,255,255,0.28)'-'rgba(255,255,255,0)' -geometry +0-60 \) -composite \
  -fill 'rgba(0,0,0,0.25)' -draw "roundrectangle 56,112 152,244 6,6" \
  -fill '#fbfdff' -draw "roundrectangle 52,106 148,238 6,6" \
  -fill '#b7c8d8' \
  -draw "rectangle 66,126 134,129" -draw "rectangle 66,138 126,141" -draw "rectangle 66,150 134,153" \
  -draw "rectangle 66,162 112,165" -draw "rectangle 66,180 134,183" -draw "rectangle 66,192 120,195" \
  -draw "rectangle 66,204 130,207" \
  -fill 'rgba(90,255,200,0.35)' -draw "rectangle 30,168 172,182" \
  -fill 'rgba(160,255,220,0.95)' -draw "rectangle 30,174 172,176" \
  -fill 'rgba(255,255,255,0.55)' -draw "rectangle 20,300 181,300" \
  -quality 92 welcome.jpg

# A manila folder with a sheet of paper showing above its front.
convert -size 188x168 xc:none \
  -fill '#c98a12' -draw "roundrectangle 8,20 78,52 8,8" \
  -fill '#d99a1e' -draw "roundrectangle 8,32 178,156 10,10" \
  -fill '#ffffff' -stroke '#c9d3dc' -strokewidth 2 -draw "rectangle 28,14 160,120" -stroke none \
  -fill '#aebdca' -draw "rectangle 44,34 140,40" -draw "rectangle 44,52 128,58" -draw "rectangle 44,70 140,76" \
  -fill '#f5c542' -draw "polygon 4,66 184,66 176,156 12,156" \
  -fill '#f9d870' -draw "polygon 4,66 184,66 182,80 6,80" \
  -resize 47x42\! -depth 8 rgba:folder.rgba

# The product: a blue tile with a page and the scanner's light line.
convert -size 192x192 xc:none \
  -fill '#0d3a6e' -draw "roundrectangle 8,8 184,184 30,30" \
  -fill '#1e6fb0' -draw "roundrectangle 8,8 184,120 30,30" \
  -fill '#ffffff' -draw "roundrectangle 52,34 140,158 8,8" \
  -fill '#9fb4c8' -draw "rectangle 68,56 124,62" -draw "rectangle 68,74 116,80" -draw "rectangle 68,118 124,124" \
  -draw "rectangle 68,136 108,142" \
  -fill '#5ff0c0' -draw "rectangle 24,94 168,102" \
  -resize 48x48\! -depth 8 rgba:product.rgba
