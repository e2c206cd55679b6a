# Wine for one of the two Windows builds; sourced by every script that starts
# Wine. Debian's `wine` wrapper takes the 32-bit loader whenever it is
# installed, even on a kernel that cannot start 32-bit programs, so the
# loader is chosen here by the build's architecture and the wrapper (with
# the winepath, wineboot and wineserver commands that go through it) is
# never called.
#   wine_select ARCH PREFIX     ARCH is win32 or win64
#   build_arch BUILD_DIR        prints the architecture of a configured Windows build
#   windows_path PATH           the Windows name of a Linux path (drive Z:)
#   wine / wineserver           the chosen loader and server

wine_select() {
  case $1 in
    win32) WINELOADER=/usr/lib/wine/wine ;;
    win64) WINELOADER=/usr/lib/wine/wine64 ;;
    *) echo "wine: unknown architecture '$1' (win32 or win64)" >&2; return 2 ;;
  esac
  # Either server serves both loaders; the 64-bit one is there on every machine.
  WINESERVER=/usr/lib/wine/wineserver64
  [ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver32
  WINEPREFIX=$(readlink -m "$2")
  export WINEARCH=$1 WINELOADER WINESERVER WINEPREFIX
  export WINEDEBUG=${WINEDEBUG:--all}
}

build_arch() {
  local arch
  arch=$(sed -n 's/^SETUP_WINDOWS_ARCH:[A-Z]*=//p' "$1/CMakeCache.txt" 2>/dev/null)
  [ -n "$arch" ] || { echo "wine: $1 is not a configured Windows build" >&2; return 2; }
  echo "$arch"
}

# Every prefix maps drive Z: to the root, so no Wine process is needed (one
# would make the prefix before wine-run.sh prepares it).
windows_path() {
  local path
  path=$(readlink -m "$1")
  printf 'Z:%s\n' "${path//\//\\}"
}

wine() { "$WINELOADER" "$@"; }
wineserver() { "$WINESERVER" "$@"; }
