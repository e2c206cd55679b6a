#!/usr/bin/env bash
# The main job: lays out the demo setup folder (build/demo/) and starts
# Setup.exe from it under Wine, for the person at the keyboard. Without a
# display (or with SETUP_DEMO_SCREENSHOT_ONLY=1) it renders every page in
# every language to build/screenshots/ instead.
set -euo pipefail
build=$(readlink -f "${1:-build/win32}")
root=$(readlink -f "$(dirname "$0")/..")
demo=$root/build/demo
prefix=$build/wineprefix
. "$root/scripts/wine-env.sh"
arch=$(build_arch "$build")
wine_select "$arch" "$prefix"

"$root/demo/make-demo-folder.sh" "$build/Setup.exe" "$demo"
# The shippers' check first: errors stop the demo, warnings are shown.
status=0
"$root/scripts/wine-run.sh" --arch "$arch" --prefix "$prefix" "$build/setupcheck.exe" "$(windows_path "$demo")" || status=$?
[ "$status" -le 1 ] || { echo "demo: setupcheck found errors in $demo" >&2; exit 1; }

if [ -n "${DISPLAY:-}" ] && [ -z "${SETUP_DEMO_SCREENSHOT_ONLY:-}" ]; then
  echo "demo: starting $demo/Setup.exe under Wine (prefix $prefix)"
  cd "$demo" && exec "$root/scripts/wine-run.sh" --arch "$arch" --prefix "$prefix" "$demo/Setup.exe"
fi
exec "$root/scripts/screenshots.sh" "$build"
