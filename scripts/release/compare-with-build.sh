#!/usr/bin/env bash
# Did a release's programs come from this source? Compares every program of
# a release, its signature taken off, with the program a 32-bit build of the
# same commit made (anyone can make that build: the programs are
# reproducible; the signatures, which need the shipper's key, are not).
#
#   compare-with-build.sh RELEASE_DIR BUILD
#
# Prints one line per program, "same" or "DIFFERS", and fails when any
# differs or either side has a program the other lacks.
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: compare-with-build.sh RELEASE_DIR BUILD" >&2; exit 2; }
release=$(readlink -f "$1") build=$(readlink -f "$2")
pe=$(readlink -f "$(dirname "$0")")/pe_files.py
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/folder" "$work/payload"
unzip -q "$release"/ZantivoSetup-*.zip -d "$work/folder"
unzip -q -P "${PAYLOAD_PASSWORD:-417263}" "$work/folder/Setup.dat" -d "$work/payload"

# Where each shipped program lies in the build tree: the tools at its top
# and in tools/, the setup folder's extras in demo-extras/, the payload in
# demo-product/.
python3 "$pe" programs "$release" "$work/folder" "$work/payload" | while read -r shipped; do
  case $shipped in
    "$work/folder/Setup.exe") built=Setup.exe ;;
    "$work/folder/"*) built=demo-extras/${shipped#"$work/folder/"} ;;
    "$work/payload/"*) built=demo-product/${shipped#"$work/payload/"} ;;
    "$release/unzipper.exe") built=tools/unzipper.exe ;;
    *) built=${shipped#"$release/"} ;;
  esac
  echo "$built $shipped"
done | LC_ALL=C sort >"$work/shipped"
(cd "$build" && python3 "$pe" programs Setup.exe tools/unzipper.exe setupcheck.exe demo-product demo-extras) \
  | LC_ALL=C sort >"$work/built"

differ=0
missing=$(cut -d' ' -f1 "$work/shipped" | LC_ALL=C comm -3 - "$work/built" | tr -d '\t' | tr '\n' ' ')
if [ -n "$missing" ]; then
  echo "programs on one side only: $missing"; differ=1
fi
while read -r built shipped; do
  [ -f "$build/$built" ] || continue
  python3 "$pe" unsigned "$shipped" "$work/a"
  python3 "$pe" unsigned "$build/$built" "$work/b"
  if cmp -s "$work/a" "$work/b"; then echo "same     $built"; else echo "DIFFERS  $built"; differ=1; fi
done <"$work/shipped"
exit $differ
