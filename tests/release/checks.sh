# The release tests' one assertion, sourced by each: check DESCRIPTION
# COMMAND... counts the command's success, or prints the description as a
# failure; finish prints the count and fails when anything did.
passed=0 failed=0
check() {
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); else echo "FAILED: $what" >&2; failed=$((failed + 1)); fi
}
finish() {
  echo "$passed passed, $failed failed"
  [ $failed -eq 0 ]
}
