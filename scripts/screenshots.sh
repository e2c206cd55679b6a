#!/usr/bin/env bash
# Renders every page of the wizard in every language of the demo setup
# folder to build/screenshots/<language>-<page>.png: the real Setup.exe,
# driven from outside by drive_setup under Xvfb, installing the demo product
# where it proposes (C:\Program Files\ZantivoSys\ of the build tree's Wine
# prefix).
#   screenshots.sh BUILD_DIR
set -euo pipefail
build=$(readlink -f "${1:-build/win32}")
root=$(readlink -f "$(dirname "$0")/..")
shots=$root/build/screenshots
prefix=$build/wineprefix
. "$root/scripts/wine-env.sh"
arch=$(build_arch "$build")
wine_select "$arch" "$prefix"
run() { "$root/scripts/wine-run.sh" --arch "$arch" --prefix "$prefix" "$@"; }
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build"
fi

mkdir -p "$shots"
rm -f "$shots"/*.png
raw=$(mktemp -d)
trap 'rm -rf "$raw"; "$root/scripts/wine-stop.sh" "$prefix"' EXIT
languages=$(python3 - "$root/demo/lang/Language.ini" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
text = data[2:].decode('utf-16-le') if data[:2] == b'\xff\xfe' else data.decode('latin-1')
for line in text.splitlines():
    if line.strip().lower().startswith('languagelist='):
        print(' '.join(p.strip() for p in line.split('=', 1)[1].split('||') if p.strip()))
PY
)
for language in $languages; do
  folder=$root/build/demo-$language
  "$root/demo/make-demo-folder.sh" --start-language "$language" "$build/Setup.exe" "$folder" >/dev/null
  # As on a machine without an earlier installation: the default folder shows.
  run reg delete 'HKCU\Software\Zantivo' /f >/dev/null 2>&1 || true
  run "$build/tests/drive_setup.exe" "$(windows_path "$folder/Setup.exe")" \
    --shots "$(windows_path "$raw")" --name "$language" --install --finish >/dev/null
  for page in 0 1 2 3 4; do
    [ -f "$raw/$language-$page.bmp" ] && convert "$raw/$language-$page.bmp" "$shots/$language-$page.png"
  done
  echo "screenshots: $language done"
done
ls "$shots"
