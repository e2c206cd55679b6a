#!/usr/bin/env bash
# Draws the form's built-in pictures with ImageMagick, each at 100 %, 150 %
# and 200 % of its size on the form (SCALE is 100, 150 or 200):
#   welcome-SCALE.jpg   201 x 348 at 100 %  the welcome and finish pages' strip (JPEG)
#   folder-SCALE.rgba    47 x 42            the destination page's folder (raw RGBA, blended
#   product-SCALE.rgba   48 x 48            the product picture            onto the face colour)
# A larger picture is drawn larger from the same shapes, never enlarged from
# a smaller one, so it is as sharp on a dense screen as the small one on an
# ordinary one. Sizes are the 100 % ones scaled and rounded half up, as the
# form scales its bounds.
set -euo pipefail
out=$1
mkdir -p "$out"
cd "$out"

# Geometry of the 100 % drawing at $percent: a rectangle from pixel x0 to
# pixel x1 covers pixels x0*s to (x1+1)*s-1, a point of an outline at c lies
# at (c+0.5)*s-0.5, and radii and widths grow by s.
calc() { awk -v s="$percent" "BEGIN { s /= 100; $1 }"; }
rect() {  # KIND X0 Y0 X1 Y1 [RX RY]
  calc "printf \"$1 %g,%g %g,%g\", $2*s, $3*s, ($4+1)*s-1, ($5+1)*s-1;
        if (\"${6:-}\" != \"\") printf \" %g,%g\", ${6:-0}*s, ${7:-0}*s"
}
poly() {  # X Y X Y ...
  local points=""
  while [ $# -gt 0 ]; do points+=$(calc "printf \" %g,%g\", ($1+0.5)*s-0.5, ($2+0.5)*s-0.5"); shift 2; done
  echo "polygon$points"
}
size() { calc "printf \"%dx%d\", int($1*s+0.5), int($2*s+0.5)"; }
length() { calc "printf \"%g\", $1*s"; }

for percent in 100 150 200; do
  # A scanned page rising out of a deep blue field, with the scanner's light line.
  convert -size "$(size 201 348)" gradient:'#0a2f5c'-'#1b7f95' \
    \( -size "$(size 201 348)" radial-gradient:'rgba(255,255,255,0.28)'-'rgba(255,255,255,0)' \
       -geometry "+0-$(length 60)" \) -composite \
    -fill 'rgba(0,0,0,0.25)' -draw "$(rect roundrectangle 56 112 152 244 6 6)" \
    -fill '#fbfdff' -draw "$(rect roundrectangle 52 106 148 238 6 6)" \
    -fill '#b7c8d8' \
    -draw "$(rect rectangle 66 126 134 129)" -draw "$(rect rectangle 66 138 126 141)" \
    -draw "$(rect rectangle 66 150 134 153)" -draw "$(rect rectangle 66 162 112 165)" \
    -draw "$(rect rectangle 66 180 134 183)" -draw "$(rect rectangle 66 192 120 195)" \
    -draw "$(rect rectangle 66 204 130 207)" \
    -fill 'rgba(90,255,200,0.35)' -draw "$(rect rectangle 30 168 172 182)" \
    -fill 'rgba(160,255,220,0.95)' -draw "$(rect rectangle 30 174 172 176)" \
    -fill 'rgba(255,255,255,0.55)' -draw "$(rect rectangle 20 300 181 300)" \
    -quality 92 "welcome-$percent.jpg"

  # A manila folder with a sheet of paper showing above its front, drawn
  # four times as large and shrunk, which smooths its edges.
  convert -size "$(size 188 168)" xc:none \
    -fill '#c98a12' -draw "$(rect roundrectangle 8 20 78 52 8 8)" \
    -fill '#d99a1e' -draw "$(rect roundrectangle 8 32 178 156 10 10)" \
    -fill '#ffffff' -stroke '#c9d3dc' -strokewidth "$(length 2)" -draw "$(rect rectangle 28 14 160 120)" -stroke none \
    -fill '#aebdca' -draw "$(rect rectangle 44 34 140 40)" -draw "$(rect rectangle 44 52 128 58)" \
    -draw "$(rect rectangle 44 70 140 76)" \
    -fill '#f5c542' -draw "$(poly 4 66 184 66 176 156 12 156)" \
    -fill '#f9d870' -draw "$(poly 4 66 184 66 182 80 6 80)" \
    -resize "$(size 47 42)"\! -depth 8 "rgba:folder-$percent.rgba"

  # The product: a blue tile with a page and the scanner's light line, drawn
  # four times as large and shrunk.
  convert -size "$(size 192 192)" xc:none \
    -fill '#0d3a6e' -draw "$(rect roundrectangle 8 8 184 184 30 30)" \
    -fill '#1e6fb0' -draw "$(rect roundrectangle 8 8 184 120 30 30)" \
    -fill '#ffffff' -draw "$(rect roundrectangle 52 34 140 158 8 8)" \
    -fill '#9fb4c8' -draw "$(rect rectangle 68 56 124 62)" -draw "$(rect rectangle 68 74 116 80)" \
    -draw "$(rect rectangle 68 118 124 124)" -draw "$(rect rectangle 68 136 108 142)" \
    -fill '#5ff0c0' -draw "$(rect rectangle 24 94 168 102)" \
    -resize "$(size 48 48)"\! -depth 8 "rgba:product-$percent.rgba"
done
