#!/usr/bin/env bash
# Which Windows build this machine runs its Windows programs in: win32 where
# Wine's 32-bit loader starts, else win64 where the 64-bit one does. Some
# kernels run with 32-bit emulation switched off, and there the 32-bit loader
# fails with "Exec format error" however it is installed, so each loader is
# started, not guessed from the packages. WINDOWS_BUILD=win32 or win64 forces
# one (it must still start).
# Prints the build's name on stdout and one line saying why on stderr; fails
# loudly when no loader starts.
set -euo pipefail

starts() {  # the loader of ARCH prints its version
  local loader
  case $1 in win32) loader=/usr/lib/wine/wine ;; win64) loader=/usr/lib/wine/wine64 ;; esac
  [ -x "$loader" ] || { why="$loader is not installed"; return 1; }
  local out
  if out=$("$loader" --version 2>&1); then return 0; fi
  why="$loader does not start: $(printf '%s' "$out" | tail -n 1)"
  return 1
}

why=""
case ${WINDOWS_BUILD:-} in
  win32|win64)
    if starts "$WINDOWS_BUILD"; then
      echo "windows build: $WINDOWS_BUILD (WINDOWS_BUILD=$WINDOWS_BUILD)" >&2
      echo "$WINDOWS_BUILD"; exit 0
    fi
    echo "windows build: WINDOWS_BUILD=$WINDOWS_BUILD asked for, but $why" >&2; exit 1 ;;
  "") ;;
  *) echo "windows build: WINDOWS_BUILD must be win32 or win64, not '$WINDOWS_BUILD'" >&2; exit 1 ;;
esac

if starts win32; then
  echo "windows build: win32 (this machine starts Wine's 32-bit loader)" >&2
  echo win32; exit 0
fi
why32=$why
if starts win64; then
  echo "windows build: win64 ($why32; the 64-bit loader starts)" >&2
  echo win64; exit 0
fi
echo "windows build: no Wine loader starts here ($why32; $why): the Windows programs cannot run" >&2
exit 1
