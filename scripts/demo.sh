#!/usr/bin/env bash
# The main job: lays out a demo setup folder (build/demo/) and starts Setup.exe
# from it under Wine. With a display the program runs until its window is
# closed; without one (or with SETUP_DEMO_SCREENSHOT_ONLY=1) it runs under
# Xvfb, and a screenshot of its window is saved to build/screenshots/.
set -euo pipefail
build=$(readlink -f "${1:-build/win32}")
root=$(readlink -f "$(dirname "$0")/..")
demo=$root/build/demo
shots=$root/build/screenshots
prefix=$build/wineprefix

scripts_dir=$root/scripts
if [ -z "${DISPLAY:-}" ]; then
  SETUP_DEMO_SCREENSHOT_ONLY=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build"
fi
"$root/demo/make-demo-folder.sh" "$build/Setup.exe" "$demo"
[ -f "$demo/Setup.dat" ] && [ -x "$build/setupcheck.exe" ] && { "$scripts_dir/wine-run.sh" --prefix "$prefix" "$build/setupcheck.exe" "$demo" || echo "demo: setupcheck reported faults in $demo" >&2; }

if [ -n "${DISPLAY:-}" ] && [ -z "${SETUP_DEMO_SCREENSHOT_ONLY:-}" ]; then
  echo "demo: starting $demo/Setup.exe under Wine"
  cd "$demo" && exec "$scripts_dir/wine-run.sh" --prefix "$prefix" "$demo/Setup.exe"
fi

mkdir -p "$shots"
run_and_capture() {
  cd "$demo"
  "$scripts_dir/wine-run.sh" --prefix "$prefix" "$demo/Setup.exe" &
  local pid=$! window=""
  for _ in $(seq 1 150); do
    window=$(xdotool search --onlyvisible --class 'setup.exe' 2>/dev/null | tail -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.2
  done
  if [ -z "$window" ]; then
    echo "demo: Setup.exe showed no window" >&2
    kill "$pid" 2>/dev/null || true
    return 1
  fi
  sleep 1.5  # let it paint
  import -window "$window" "$shots/setup-window.png"
  import -window root "$shots/screen.png"
  echo "demo: Setup.exe is running; screenshots in $shots/"
  xdotool windowclose "$window" 2>/dev/null || xdotool key --window "$window" alt+F4 || true
  for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
  kill "$pid" 2>/dev/null || true
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
}
run_and_capture
