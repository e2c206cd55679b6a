#!/usr/bin/env bash
# Renders every page of the wizard in every language of the demo setup
# folder to build/screenshots/<language>-<page>.png: the real Setup.exe,
# driven from outside by drive_setup under Xvfb, installing the demo product
# where it proposes (C:\Program Files\ZantivoSys\ of the build tree's Wine
# prefix). Then the same at 150 % and 200 % (<language>-150-<page>.png,
# <language>-200-<page>.png), each scale in a Wine prefix of its own whose
# LogPixels is the scale's DPI (the tests' prefix stays at 96).
#   screenshots.sh BUILD_DIR [LANGUAGE...]   the scaled ones in these languages (default: all)
set -euo pipefail
build=$(readlink -f "${1:-build/win32}")
shift || true
root=$(readlink -f "$(dirname "$0")/..")
shots=$root/build/screenshots
. "$root/scripts/wine-env.sh"
arch=$(build_arch "$build")
if [ -z "${DISPLAY:-}" ]; then
  # Room for the window at 200 %.
  exec xvfb-run -a -s "-screen 0 2560x1600x24" "$0" "$build" "$@"
fi

mkdir -p "$shots"
rm -f "$shots"/*.png
raw=$(mktemp -d)
prefixes=()
trap 'rm -rf "$raw"; for p in "${prefixes[@]}"; do "$root/scripts/wine-stop.sh" "$p"; done' EXIT
run() { "$root/scripts/wine-run.sh" --arch "$arch" --prefix "$prefix" "$@"; }
languages=$(python3 - "$root/demo/lang/Language.ini" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
text = data[2:].decode('utf-16-le') if data[:2] == b'\xff\xfe' else data.decode('latin-1')
for line in text.splitlines():
    if line.strip().lower().startswith('languagelist='):
        print(' '.join(p.strip() for p in line.split('=', 1)[1].split('||') if p.strip()))
PY
)
scaled_languages=${*:-$languages}

# Every page in one language, in the prefix $prefix, as NAME-<page>.png.
shoot() {  # LANGUAGE NAME
  local folder=$root/build/demo-$1
  "$root/demo/make-demo-folder.sh" --start-language "$1" "$build/Setup.exe" "$folder" >/dev/null
  # As on a machine without an earlier installation: the default folder shows.
  run reg delete 'HKCU\Software\Zantivo' /f >/dev/null 2>&1 || true
  run "$build/tests/drive_setup.exe" "$(windows_path "$folder/Setup.exe")" \
    --shots "$(windows_path "$raw")" --name "$2" --install --finish >/dev/null
  for page in 0 1 2 3 4; do
    [ -f "$raw/$2-$page.bmp" ] && convert "$raw/$2-$page.bmp" "$shots/$2-$page.png"
  done
  echo "screenshots: $2 done"
}

# A prefix whose programs see a screen of that DPI: Wine reads LogPixels
# when its server starts, so the server is stopped after the change.
# (DpiScalingVer stays unset: with it, Wine reports the wrong awareness.)
use_dpi() {  # DPI
  local want=$1 key='HKCU\Control Panel\Desktop'
  if ! run reg query "$key" /v LogPixels 2>/dev/null | grep -qi "LogPixels.*0x$(printf '%x' "$want")\b"; then
    run reg add "$key" /v LogPixels /t REG_DWORD /d "$want" /f >/dev/null
    (wine_select "$arch" "$prefix" && wineserver -w)
  fi
}

prefix=$build/wineprefix
prefixes+=("$prefix")
for language in $languages; do shoot "$language" "$language"; done
for dpi in 144 192; do
  prefix=$build/wineprefix-dpi$dpi
  prefixes+=("$prefix")
  use_dpi "$dpi"
  for language in $scaled_languages; do shoot "$language" "$language-$((dpi * 100 / 96))"; done
done
ls "$shots"
