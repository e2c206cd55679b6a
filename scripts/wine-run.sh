#!/usr/bin/env bash
# Runs a Windows program under Wine in a prefix of the build tree:
#   wine-run.sh --arch win32|win64 --prefix DIR PROGRAM [ARGS...]
# CTest uses it as the cross-compiling emulator. The prefix is made once, of
# the build's architecture (no Mono or Gecko download prompts, frames drawn
# by Wine), and reused; without a display the program runs under a private
# Xvfb. The loader is the architecture's own (scripts/wine-env.sh).
set -euo pipefail
usage() { echo "usage: wine-run.sh --arch win32|win64 --prefix DIR PROGRAM [ARGS...]" >&2; exit 2; }
arch="" prefix=""
while [ $# -gt 0 ]; do
  case $1 in
    --arch) [ $# -ge 2 ] || usage; arch=$2; shift 2 ;;
    --prefix) [ $# -ge 2 ] || usage; prefix=$2; shift 2 ;;
    *) break ;;
  esac
done
[ -n "$arch" ] && [ -n "$prefix" ] && [ $# -ge 1 ] || usage
here=$(dirname "$(readlink -f "$0")")
. "$here/wine-env.sh"
wine_select "$arch" "$prefix"
# No Mono or Gecko prompts; and no winemenubuilder, which would copy every
# shortcut a test makes into this Linux user's own menus and desktop.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --arch "$arch" --prefix "$WINEPREFIX" "$@"
fi

# A prefix remembers its architecture; one of the other architecture (or an
# unfinished one) is made again.
ready() { [ "$(cat "$WINEPREFIX/.setup-ready" 2>/dev/null)" = "$arch" ]; }
if ! ready; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if ! ready; then
      rm -rf "$WINEPREFIX"
      wine wineboot -i >/dev/null 2>&1
      # Wine draws window frames itself, so screenshots under a bare Xvfb show them.
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
      wineserver -w
      # Every Windows has the old System folder beside System32; a 64-bit
      # prefix made without 32-bit support lacks it.
      mkdir -p "$WINEPREFIX/drive_c/windows/system"
      # Wine links the user's Desktop, Documents, ... to this Linux user's
      # home; the prefix gets folders of its own, so that a shortcut made on
      # its desktop stays inside it.
      for folder in "$WINEPREFIX"/drive_c/users/*/*; do
        if [ -L "$folder" ]; then rm -f "$folder" && mkdir "$folder"; fi
      done
      echo "$arch" > "$WINEPREFIX/.setup-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
fi

# Fonts, so that Chinese text renders as a user in China sees it: the form's
# face names ("宋体", "黑体", "华文行楷") map to WenQuanYi Micro Hei, a CJK
# font from Debian that also has the Latin letters and the quotation marks
# of the German and English texts, and the window frame's Tahoma links to it
# for characters it lacks. Debian's fonts-wine keeps Tahoma and the caption
# buttons' Marlett where this Wine does not look, so the prefix gets copies.
if [ ! -f "$WINEPREFIX/.fonts-ready-2" ]; then
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.fonts-ready-2" ]; then
      reg=$(mktemp --suffix=.reg)
      python3 - "$reg" <<'PY'
import sys
def multi_string(*values):
    data = ''.join(v + '\0' for v in values) + '\0'
    return 'hex(7):' + ','.join('%02x' % b for b in data.encode('utf-16-le'))
link = multi_string('wqy-microhei.ttc,WenQuanYi Micro Hei')
lines = ['Windows Registry Editor Version 5.00', '',
         r'[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]',
         '"宋体"="WenQuanYi Micro Hei"', '"黑体"="WenQuanYi Micro Hei"', '"华文行楷"="WenQuanYi Micro Hei"', '',
         r'[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink]']
lines += ['"%s"=%s' % (face, link) for face in ('Tahoma', 'Tahoma Bold', 'MS Shell Dlg', 'MS Shell Dlg 2')]
open(sys.argv[1], 'wb').write(('\r\n'.join(lines) + '\r\n').encode('utf-16'))
PY
      wine regedit /S "$(windows_path "$reg")" >/dev/null 2>&1
      wineserver -w
      rm -f "$reg"
      cp -f /usr/share/wine/fonts/marlett.ttf /usr/share/wine/fonts/tahoma.ttf /usr/share/wine/fonts/tahomabd.ttf \
        "$WINEPREFIX/drive_c/windows/Fonts/"
      touch "$WINEPREFIX/.fonts-ready-2"
    fi
  ) 9>"$WINEPREFIX.lock"
fi

exec "$WINELOADER" "$@"
