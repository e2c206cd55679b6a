#!/usr/bin/env bash
# The unzipper command as a person uses it: listing, testing, extracting,
# patterns, overwrite modes, passwords, exit statuses and messages.
#   unzipper_cli_test.sh UNZIPPER TEST_DATA
set -u
unzipper=$1 data=$2
work=$(mktemp -d)
trap 'mountpoint -q "$work/small" && umount "$work/small"; rm -rf "$work"' EXIT
passed=0 failed=0
check() {  # check NAME CONDITION...
  local name=$1; shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name" >&2; fi
}

out=$("$unzipper" -l "$data/deflate9.zip"); status=$?
check "list exits 0" test $status -eq 0
check "list has headings, every entry and totals" test "$(printf '%s\n' "$out" | wc -l)" -eq 16
check "list headings" grep -Eq '^Index +Method +Compressed +Length +CRC-32 +Date +Time +E +Name$' <<<"$out"
check "list shows notes" grep -Eq '^ +[0-9]+ deflated +10 +18 f0890340 2023-11-30 23:59:58 - docs/notes.txt$' <<<"$out"
# The totals agree with Info-ZIP's listing of the same archive.
total=$(unzip -l "$data/deflate9.zip" | tail -1 | awk '{print $1}')
check "list totals" grep -Eq "^ +[0-9]+ +$total +11 entries, 7 files\$" <<<"$(tail -1 <<<"$out")"
check "list marks encryption" grep -q ' E readme.txt$' <<<"$("$unzipper" -l "$data/encrypted.zip")"

# Testing decrypts and checks every selected entry and writes nothing.
mkdir "$work/cwd"
out=$(cd "$work/cwd" && "$unzipper" -t -P 417263 -d "$work/never" "$data/encrypted.zip"); status=$?
check "test exits 0" test $status -eq 0
check "test reports each file" test "$(grep -c '^    testing: .* OK$' <<<"$out")" -eq 7
check "test sums up" grep -q '^No errors detected in 7 files of ' <<<"$out"
check "test writes nothing" test -z "$(ls -A "$work/cwd")" -a ! -e "$work/never"
out=$("$unzipper" -tq "$data/deflate9.zip" 'docs/*')
check "-tq tests the selection quietly" test "$out" = "No errors detected in 2 files of $data/deflate9.zip."
python3 - "$data/deflate9.zip" "$work/damaged.zip" <<'PY'
import sys
data = bytearray(open(sys.argv[1], 'rb').read())
data[30 + len('readme.txt') + 400] ^= 0x55  # inside readme.txt's deflate data
open(sys.argv[2], 'wb').write(data)
PY
out=$("$unzipper" -t "$work/damaged.zip"); status=$?
check "test of a damaged entry exits 1" test $status -eq 1
check "test names the damaged entry" grep -Eq '^    testing: readme.txt +CRC error \([0-9a-f]{8}, stored b562a739\)$' <<<"$out"
check "test sums up the damage" grep -q '^6 of 7 files of .* tested good.$' <<<"$out"
err=$("$unzipper" -t "$data/encrypted.zip" 2>&1); status=$?
check "test without a password exits 1" test $status -eq 1
check "a missing password is said once per entry" test "$(grep -c 'skipped (encrypted, no password given)' <<<"$err")" -eq 7
check "a missing password names -P" grep -q '^unzipper: 7 encrypted files were not opened: give the password with -P PASSWORD$' <<<"$err"

"$unzipper" -q -d "$work/all" -P 417263 "$data/encrypted.zip"; status=$?
check "extract exits 0" test $status -eq 0
check "extract is exact" diff -r "$data/tree" "$work/all"

"$unzipper" -q -d "$work/some" "$data/deflate1.zip" '*.txt'
check "patterns select" test -f "$work/some/docs/notes.txt" -a ! -e "$work/some/empty.dat"
"$unzipper" -q -j -d "$work/flat" "$data/deflate1.zip" 'docs/*'
check "-j drops folders" test -f "$work/flat/notes.txt" -a -f "$work/flat/config.ini"

err=$("$unzipper" -q -d "$work/bad" -P wrong "$data/encrypted.zip" 2>&1 >/dev/null); status=$?
check "wrong password exits 1" test $status -eq 1
check "wrong password is reported once per entry" test "$(grep -c 'skipped (wrong password): ' <<<"$err")" -eq 7
check "wrong password is reported by name" grep -q 'skipped (wrong password): readme.txt' <<<"$err"
check "wrong password names -P" grep -q 'not opened: wrong password given with -P$' <<<"$err"

echo changed > "$work/all/readme.txt"
"$unzipper" -q -d "$work/all" -P 417263 "$data/encrypted.zip" </dev/null 2>/dev/null; status=$?
check "prompt without terminal answers no" test $status -eq 1 -a "$(cat "$work/all/readme.txt")" = changed
"$unzipper" -q -o always -d "$work/all" -P 417263 "$data/encrypted.zip"; status=$?
check "always overwrites" cmp -s "$work/all/readme.txt" "$data/tree/readme.txt"

head -c 1000 "$data/deflate9.zip" > "$work/cut.zip"
err=$("$unzipper" -q -d "$work/cut" "$work/cut.zip" 2>&1); status=$?
check "unreadable archive exits 2" test $status -eq 2
check "the component's text is shown" grep -q 'Incomplete Zip File' <<<"$err"
"$unzipper" -o sometimes "$data/deflate9.zip" 2>/dev/null; status=$?
check "bad option exits 2" test $status -eq 2
usage=$("$unzipper" -h)
check "the usage gives the exit statuses" grep -q ' 50 a file could not be written (a full disk)$' <<<"$usage"

# A full disk, on a tmpfs of 5 MB: the file that does not fit is named with
# the system's reason and removed; those before it stay; exit status 50.
mkdir "$work/small" "$work/payload" "$work/payload/media"
if refusal=$(mount -t tmpfs -o size=5m tmpfs "$work/small" 2>&1); then
  echo "read me" > "$work/payload/readme.txt"
  head -c 6000000 /dev/urandom > "$work/payload/media/scan.tif"
  echo "after" > "$work/payload/z.txt"
  (cd "$work/payload" && zip -q -r "$work/payload.zip" readme.txt media/scan.tif z.txt)
  err=$("$unzipper" -q -d "$work/small/out" "$work/payload.zip" 2>&1); status=$?
  check "a full disk exits 50" test $status -eq 50
  check "a full disk names the file and the reason" \
    test "$err" = "unzipper: cannot write $work/small/out/media/scan.tif: No space left on device"
  check "a full disk leaves no part of the file" test ! -e "$work/small/out/media/scan.tif"
  check "the files before it stay whole" cmp -s "$work/payload/readme.txt" "$work/small/out/readme.txt"
  check "the files after it are not begun" test ! -e "$work/small/out/z.txt"
  umount "$work/small"
else
  echo "SKIPPED: the full-disk cases: mounting a 5 MB tmpfs was refused: $refusal" >&2
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
