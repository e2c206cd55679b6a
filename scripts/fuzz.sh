#!/usr/bin/env bash
# Builds the fuzzing flavour (clang, libFuzzer, ASan, UBSan) and runs every
# target for SECONDS seconds on its growing corpus, seeded from the tests'
# archives; prints executions, coverage and any crash with its reproducer.
#   fuzz.sh SECONDS [TARGET...]
set -euo pipefail
seconds=${1:-300}; shift || true
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/native-fuzz
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(archive_fuzz inflate_fuzz inflate_diff_fuzz explode_fuzz unshrink_fuzz unreduce_fuzz password_fuzz)

[ -f "$build/build.ninja" ] || cmake -S "$root" -B "$build" -G Ninja -DSETUP_FUZZ=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -Wno-dev >/dev/null
cmake --build "$build" >/dev/null

# Seeds: the fixture's archives and deflate streams, and legacy streams.
seeds=$build/seeds
if [ ! -f "$seeds/.done" ] || [ "$build/fuzz/make_fuzz_seeds" -nt "$seeds/.done" ]; then
  rm -rf "$seeds" && mkdir -p "$seeds"/{archive,inflate,inflate_diff,password}
  "$root/tests/unzip/make_test_archives.sh" "$build/fixture"
  find "$build/fixture" -name '*.zip' -size -2M -exec cp {} "$seeds/archive/" \;
  cp "$build/fixture"/spanned/spanned.001 "$seeds/archive/" 2>/dev/null || true
  for f in "$build/fixture"/deflate-*.raw; do
    head -c 200000 "$f" | { printf '\x80\x3e'; cat; } > "$seeds/inflate/$(basename "$f")"
  done
  cp "$build/fixture"/tree/docs/notes.txt "$build/fixture"/tree/docs/deep/config.ini "$seeds/inflate_diff/"
  head -c 20000 "$build/fixture"/tree/readme.txt > "$seeds/inflate_diff/readme"
  head -c 300 "$build/fixture"/encrypted.zip > "$seeds/password/start"
  "$build/fuzz/make_fuzz_seeds" "$seeds"
  touch "$seeds/.done"
fi

seed_dir() {
  case $1 in
    archive_fuzz) echo archive ;; inflate_fuzz) echo inflate ;; inflate_diff_fuzz) echo inflate_diff ;;
    explode_fuzz) echo explode ;; unshrink_fuzz) echo unshrink ;; unreduce_fuzz) echo unreduce ;;
    password_fuzz) echo password ;;
  esac
}

status=0 failures=0
printf '%-18s %12s %8s %8s  %s\n' target executions cov ft result
for t in "${targets[@]}"; do
  corpus=$build/corpus/$t crashes=$build/crashes
  mkdir -p "$corpus" "$crashes"
  log=$build/logs${FUZZ_LOG_SUFFIX:-}/$t.log
  mkdir -p "$(dirname "$log")"
  set +e
  (cd "$build" && "$build/fuzz/$t" -max_total_time="$seconds" -print_final_stats=1 -max_len=200000 \
      -rss_limit_mb=2048 -timeout=20 -artifact_prefix="$crashes/$t-" "$corpus" "$seeds/$(seed_dir "$t")") >"$log" 2>&1
  rc=$?
  set -e
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)  # the run's total
  cov=$(grep -a -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
  ft=$(grep -a -o 'ft: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
  result=ok
  if [ $rc -ne 0 ]; then
    status=1
    failures=$((failures + 1))
    result="CRASH: $(grep -a -o "Test unit written to .*" "$log" | tail -n 1 | sed 's/Test unit written to //')"
    grep -a -m 3 -E 'ERROR|runtime error|SUMMARY' "$log" | sed 's/^/    /'
  fi
  printf '%-18s %12s %8s %8s  %s\n' "$t" "${execs:-?}" "${cov:-?}" "${ft:-?}" "$result"
done
[ $status -eq 0 ] || echo "fuzz: crashes found (logs in $build/logs)"
echo "fuzz: $(( ${#targets[@]} - failures )) passed, $failures failed"
exit $status
