#!/usr/bin/env bash
# The same sources built in another folder give the same programs: the
# shipped programs (the CMake target release_programs) are built a second
# time from a copy of the source tree at another path, in a build folder
# placed differently, with another time zone, locale and umask, and compared
# byte for byte with the first build's and, signatures taken off, with the
# programs the test-signed release ships.
#
#   reproducible_test.sh SOURCE RELEASE_DIR WORK
#
# Environment: RELEASE_BUILD (the first build, a 32-bit tree).
set -uo pipefail
source_dir=$(readlink -f "$1") release=$(readlink -f "$2") work=$3
first=$(readlink -f "$RELEASE_BUILD")
pe=$source_dir/scripts/release/pe_files.py
rm -rf "$work"
mkdir -p "$work"
work=$(readlink -f "$work")
. "$(dirname "$0")/checks.sh"

# The sources as they are (tracked and new files, not what git ignores), at
# a path of another length; the build folder beside them, not inside.
copy=$work/another-checkout/setup-sources
second=$work/another-checkout/b32
mkdir -p "$copy"
(cd "$source_dir" && git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$copy")
# libjpeg-turbo's unpacked source package, as the first build fetched it
# (no second download); it is built anew.
mkdir -p "$second/third_party"
cp -r "$first/third_party/libjpeg-turbo-src" "$second/third_party/"

if ! (cd "$copy" && umask 077 && export TZ=Pacific/Kiritimati LC_ALL=C && unset SOURCE_DATE_EPOCH &&
      cmake -S . -B "$second" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw32.cmake -Wno-dev &&
      cmake --build "$second" -j"$(nproc)" --target release_programs) >"$work/build.log" 2>&1; then
  tail -n 30 "$work/build.log" >&2
  check "the second build (its log: $work/build.log)" false
  finish; exit
fi

# The two builds, byte for byte: every program the release ships.
(cd "$first" && python3 "$pe" programs Setup.exe tools/unzipper.exe setupcheck.exe demo-product demo-extras) >"$work/programs"
check "the first build has the release's 8 programs" [ "$(grep -c . "$work/programs")" -eq 8 ]
while read -r program; do
  check "$program is the same in both builds" cmp "$first/$program" "$second/$program"
done <"$work/programs"

# The release's programs, signatures taken off, are the second build's.
"$source_dir/scripts/release/compare-with-build.sh" "$release" "$second" >"$work/compared" 2>&1
status=$?
check "the release's 8 programs are the second build's, signatures removed: $(tr '\n' ' ' <"$work/compared")" \
  [ "$status $(grep -c '^same ' "$work/compared")" = "0 8" ]

# Neither build's path is in any program (the source tree's, either build tree's).
for program in $(cat "$work/programs"); do
  for path in "$source_dir" "$first" "$copy" "$second"; do
    check "$program holds no \"$path\"" sh -c "! { strings -a '$second/$program'; strings -a -el '$second/$program'; } | grep -qF '$path'"
  done
done

rm -rf "$work/another-checkout"   # a whole build tree: not kept
finish
