#!/usr/bin/env bash
# Stops the Wine server of a prefix, if one runs, so nothing outlives a run.
#   wine-stop.sh PREFIX
prefix=$(readlink -m "$1")
[ -d "$prefix" ] || exit 0
for server in /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver32; do
  [ -x "$server" ] && { WINEPREFIX=$prefix "$server" -k 2>/dev/null; break; }
done
exit 0
