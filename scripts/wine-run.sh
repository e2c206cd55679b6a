#!/usr/bin/env bash
# Runs a Windows program under Wine in the build tree's own prefix:
#   wine-run.sh --prefix DIR PROGRAM [ARGS...]
# CTest uses it as the cross-compiling emulator. The prefix is made once
# (32-bit, no Mono or Gecko download prompts, frames drawn by Wine) and
# reused; without a display the program runs under a private Xvfb.
set -euo pipefail
[ "${1:-}" = "--prefix" ] || { echo "usage: wine-run.sh --prefix DIR PROGRAM [ARGS...]" >&2; exit 2; }
export WINEPREFIX=$(readlink -m "$2"); shift 2
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --prefix "$WINEPREFIX" "$@"
fi

if [ ! -f "$WINEPREFIX/.setup-ready" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.setup-ready" ]; then
      rm -rf "$WINEPREFIX"
      wineboot -i >/dev/null 2>&1
      # Wine draws window frames itself, so screenshots under a bare Xvfb show them.
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
      wineserver -w
      touch "$WINEPREFIX/.setup-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
fi

# Fonts. The form's Chinese face names ("宋体", "黑体", "华文行楷") map to a CJK font
# from Debian, so Chinese text renders as a user in China sees it (the
# "Sharp" cut has bitmaps drawn for the body text's 13 pixels).
if [ ! -f "$WINEPREFIX/.fonts-ready" ]; then
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.fonts-ready" ]; then
      reg=$(mktemp --suffix=.reg)
      printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
        '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
        '"宋体"="WenQuanYi Zen Hei Sharp"' '"黑体"="WenQuanYi Zen Hei"' '"华文行楷"="WenQuanYi Zen Hei"' \
        | iconv -f UTF-8 -t UTF-16 >"$reg"
      wine regedit /S "$(winepath -w "$reg")" >/dev/null 2>&1
      wineserver -w
      rm -f "$reg"
      # The caption buttons' glyphs: Debian's fonts-wine keeps Marlett where
      # this Wine does not look, so the prefix gets its own copy.
      cp -f /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
      touch "$WINEPREFIX/.fonts-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
fi

exec wine "$@"
