#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build (clang, BRONTAR_FUZZ=ON; CI's
# build-clang-asan is one) for a while from its seed corpus:
# scripts/fuzz.sh [BUILD_DIR [SECONDS]]. What a run finds
# goes to BUILD_DIR/fuzz/corpus-NAME, never into fuzz/corpus; a crash fails
# the run and its input is kept in BUILD_DIR/fuzz/crashes. The executions and
# the coverage each target reached are in BUILD_DIR/fuzz/report.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-clang-asan}
seconds=${2:-30}
if ! grep -qx 'BRONTAR_FUZZ:BOOL=ON' "$build/CMakeCache.txt" 2>/dev/null; then
  echo "fuzz: $build is not a fuzz build; configure it with clang and -DBRONTAR_FUZZ=ON" >&2
  exit 2
fi
out="$build/fuzz"
mkdir -p "$out/crashes" "$out/logs"
report="$out/report.txt"
printf '%-16s %12s %9s %9s %8s\n' target executions coverage features seconds >"$report"
status=0
for program in "$build"/bin/fuzz_*; do
  name=${program##*/fuzz_}
  mkdir -p "$out/corpus-$name"
  log="$out/logs/$name.log"
  start=$(date +%s)
  if ! "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
      -artifact_prefix="$out/crashes/$name-" "$out/corpus-$name" "fuzz/corpus/$name" >"$log" 2>&1; then
    echo "fuzz: $name failed (log: $log)" >&2
    grep -A25 -m1 -E 'ERROR: (AddressSanitizer|libFuzzer|LeakSanitizer)|runtime error' "$log" >&2 || tail -25 "$log" >&2
    status=1
  fi
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  features=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  printf '%-16s %12s %9s %9s %8s\n' "$name" "${executions:-?}" "${coverage:-?}" "${features:-?}" \
    "$(($(date +%s) - start))" >>"$report"
done
cat "$report"
exit $status
