#!/usr/bin/env bash
# A small disk for the Windows tests of a full one: a 5 MB tmpfs mounted at
# DIR and mapped to a drive letter of the build's Wine prefix (a link in its
# dosdevices folder). Where the system refuses the mount, the letter maps to
# a plain folder holding mount-refused.txt with the reason, and the tests
# skip with it. unmount takes both away again.
#   small_disk.sh mount|unmount DIR BUILD_DIR LETTER
set -euo pipefail
[ $# -eq 4 ] || { echo "usage: small_disk.sh mount|unmount DIR BUILD_DIR LETTER" >&2; exit 2; }
action=$1 dir=$(readlink -m "$2") build=$(readlink -m "$3") letter=${4,,}
root=$(readlink -f "$(dirname "$0")/../..")
. "$root/scripts/wine-env.sh"
arch=$(build_arch "$build")
wine_select "$arch" "$build/wineprefix"
link=$WINEPREFIX/dosdevices/$letter:

release() {
  rm -f "$link"
  if mountpoint -q "$dir"; then umount "$dir"; fi
  rm -rf "$dir"
}

case $action in
  mount)
    # A prefix that is not ready yet is made from nothing by the first
    # program run in it, which would drop the drive: make it first.
    if [ "$(cat "$WINEPREFIX/.setup-ready" 2>/dev/null)" != "$arch" ]; then
      "$root/scripts/wine-run.sh" --arch "$arch" --prefix "$WINEPREFIX" cmd.exe /c exit 0
    fi
    release
    mkdir -p "$dir"
    if ! refusal=$(mount -t tmpfs -o size=5m tmpfs "$dir" 2>&1); then
      echo "mounting a 5 MB tmpfs at $dir was refused: ${refusal:-no reason given}" >"$dir/mount-refused.txt"
    fi
    ln -s "$dir" "$link"
    ;;
  unmount) release ;;
  *) echo "small_disk.sh: unknown action '$action'" >&2; exit 2 ;;
esac
