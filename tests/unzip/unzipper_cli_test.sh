#!/usr/bin/env bash
# The unzipper command as a person uses it: listing, extracting, patterns,
# overwrite modes, exit statuses and messages.
#   unzipper_cli_test.sh UNZIPPER TEST_DATA
set -u
unzipper=$1 data=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0
check() {  # check NAME CONDITION...
  local name=$1; shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name" >&2; fi
}

out=$("$unzipper" -l "$data/deflate9.zip"); status=$?
check "list exits 0" test $status -eq 0
check "list has every entry" test "$(printf '%s\n' "$out" | wc -l)" -eq 11
check "list shows notes" grep -Eq '^ +[0-9]+ +8 +10 +18 f0890340 2023-11-30 23:59:58 - docs/notes.txt$' <<<"$out"
check "list marks encryption" grep -q ' E readme.txt$' <<<"$("$unzipper" -l "$data/encrypted.zip")"

"$unzipper" -q -d "$work/all" -P 417263 "$data/encrypted.zip"; status=$?
check "extract exits 0" test $status -eq 0
check "extract is exact" diff -r "$data/tree" "$work/all"

"$unzipper" -q -d "$work/some" "$data/deflate1.zip" '*.txt'
check "patterns select" test -f "$work/some/docs/notes.txt" -a ! -e "$work/some/empty.dat"
"$unzipper" -q -j -d "$work/flat" "$data/deflate1.zip" 'docs/*'
check "-j drops folders" test -f "$work/flat/notes.txt" -a -f "$work/flat/config.ini"

err=$("$unzipper" -q -d "$work/bad" -P wrong "$data/encrypted.zip" 2>&1 >/dev/null); status=$?
check "wrong password exits 1" test $status -eq 1
check "wrong password is reported" grep -q 'skipped (wrong password): readme.txt' <<<"$err"

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

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
