#!/usr/bin/env bash
# Lays out the demo setup folder: what a shipped Zantivo setup carries.
#
#   make-demo-folder.sh [--product-name NAME] [--start-language ABBR] SETUP_EXE DEST
#
# SETUP_EXE is Setup.exe at the top of a win32 build tree; the demo product
# and the setup's extras are taken from the same tree (demo-product/,
# demo-extras/, built with it). DEST receives:
#
#   Setup.exe
#   lang\Language.ini, FormRes.ini, ResEN.ini, ResDE.ini, ResCN.ini  (demo/lang)
#   lang\setup.jpg        the welcome picture, drawn here by ImageMagick
#   Setup.dat             the product, zipped with the payload password
#   SoftwareList.dat      naming Drivers\ScanDriverSetup.exe, the further installer
#   BatchName.dat         the batch folders to prepare
#   Config.ini            naming the help file docs\QuickStart.pdf
#
# --product-name NAME sets message 00000_00023 (the alternate product name,
# empty in the demo) to NAME in every language file; --start-language ABBR
# makes the setup start in that language (key 2057 of section "Abbreviate").
# Use another DEST for such a variant. Running again only redoes what
# changed.
set -euo pipefail

usage() {
  echo "usage: make-demo-folder.sh [--product-name NAME] [--start-language ABBR] SETUP_EXE DEST" >&2
  exit 2
}

product_name="" start_language=""
while [ $# -gt 0 ]; do
  case $1 in
    --product-name) [ $# -ge 2 ] || usage; product_name=$2; shift 2 ;;
    --start-language) [ $# -ge 2 ] || usage; start_language=$2; shift 2 ;;
    --*) usage ;;
    *) break ;;
  esac
done
[ $# -eq 2 ] || usage
setup_exe=$(readlink -f "$1") dest=$2
demo=$(readlink -f "$(dirname "$0")")
build=$(dirname "$setup_exe")
product=$build/demo-product
extras=$build/demo-extras
payload_password=417263

for needed in "$setup_exe" "$product/Zantivo.exe" "$product/UnInstall.exe" "$extras/Drivers/ScanDriverSetup.exe"; do
  [ -f "$needed" ] || { echo "make-demo-folder: $needed is missing; build the win32 tree first (make win32)" >&2; exit 1; }
done
mkdir -p "$dest"
dest=$(readlink -f "$dest")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Copies a file unless the target already has the same bytes, so that
# unchanged files keep their times.
put() {
  local source=$1 target=$2
  mkdir -p "$(dirname "$target")"
  cmp -s "$source" "$target" || cp -f "$source" "$target"
}

# An older layout had "Lang\" for the picture; Windows sees one folder, Linux two.
if [ -d "$dest/Lang" ] && ! [ "$dest/Lang" -ef "$dest/lang" ]; then
  if [ -d "$dest/lang" ]; then rm -rf "$dest/Lang"; else mv "$dest/Lang" "$dest/lang"; fi
fi

put "$setup_exe" "$dest/Setup.exe"

for file in "$demo"/lang/*.ini; do
  name=$(basename "$file")
  cp "$file" "$work/$name"
  if [ -n "$product_name" ] && [[ $name == Res*.ini ]]; then
    python3 "$demo/tools/set_ini_value.py" "$work/$name" Res 00000_00023 "$product_name"
  fi
  if [ -n "$start_language" ] && [ "$name" = Language.ini ]; then
    python3 "$demo/tools/set_ini_value.py" "$work/$name" Abbreviate 2057 "$start_language"
  fi
  put "$work/$name" "$dest/lang/$name"
done

# The welcome picture: 201 x 348, the left strip of the wizard's first and
# last page. Redrawn when this script changes.
picture=$dest/lang/setup.jpg
if [ ! -f "$picture" ] || [ "$0" -nt "$picture" ]; then
  bold=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
  regular=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
  convert -size 201x348 gradient:'#0b2d55'-'#1f6fb2' \
    -fill 'rgba(255,255,255,0.06)' -draw 'circle 180,40 180,150' -draw 'circle 10,330 10,420' \
    -fill 'rgba(255,255,255,0.95)' -draw 'roundrectangle 62,92 138,188 6,6' \
    -fill '#1f6fb2' -draw 'rectangle 74,110 126,114' -draw 'rectangle 74,122 126,126' \
    -draw 'rectangle 74,134 114,138' -draw 'rectangle 74,158 126,162' -draw 'rectangle 74,170 104,174' \
    -fill '#7fd3ff' -draw 'rectangle 52,145 148,148' \
    -fill 'rgba(127,211,255,0.25)' -draw 'rectangle 52,137 148,156' \
    -font "$bold" -fill white -pointsize 26 -gravity north -annotate +0+216 'Zantivo' \
    -font "$regular" -fill '#bfe3ff' -pointsize 11 -annotate +0+252 'Document Capture' \
    -quality 92 "$work/setup.jpg"
  mv -f "$work/setup.jpg" "$picture"
fi

# The payload. Info-ZIP zip stores folders (bin/, lang/) with their entries;
# only the product's files go in, not a linker's by-products.
barcode=bin/PegasusImaging.ActiveX.BarcodeXpress5.dll
if [ ! -f "$product/$barcode" ]; then
  echo "make-demo-folder: warning: the barcode control stand-in $product/$barcode is not built yet;" \
       "Setup.dat is made without it" >&2
fi
payload=$dest/Setup.dat
by_products=('*.a' '*.lib' '*.exp')
(cd "$product" && { find . -mindepth 1 -type d -printf '%P/\n'
                    find . -type f ! -name '*.a' ! -name '*.lib' ! -name '*.exp' -printf '%P\n'; } | sort) >"$work/wanted"
if [ ! -f "$payload" ] || [ -n "$(find "$product" -newer "$payload" -print -quit)" ] \
   || ! unzip -Z1 "$payload" 2>/dev/null | sort | cmp -s - "$work/wanted"; then
  (cd "$product" && zip -q -r -9 -P "$payload_password" "$work/Setup.dat" . -x "${by_products[@]}")
  mv -f "$work/Setup.dat" "$payload"
fi

# The setup folder's extras: the further installer, the help file, the lists.
(cd "$extras" && find . -type f -printf '%P\n') | while read -r file; do
  put "$extras/$file" "$dest/$file"
done
for file in SoftwareList.dat BatchName.dat Config.ini; do
  put "$demo/setup-folder/$file" "$dest/$file"
done
