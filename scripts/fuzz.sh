#!/usr/bin/env bash
# Runs fuzz targets of a fuzzing build, each for a while on its seed corpus.
# usage: fuzz.sh <build dir> <seconds per target> keep|fresh [target...]
#   keep : new inputs collect in <build>/fuzz/work/<target> across runs
#   fresh: a throw-away work folder (the CI smoke run)
# Fails when any target crashes, hangs, leaks or breaks a property; the
# input is left in <build>/fuzz/crashes/ and the log's tail is printed.
set -uo pipefail
build=$1 seconds=$2 mode=$3
shift 3
root=$(cd "$(dirname "$0")/.." && pwd)
out=$build/fuzz
targets=("$@")
[ ${#targets[@]} -gt 0 ] || mapfile -t targets < "$out/targets.txt"

# Slow unwinding: stacks through fontconfig (no frame pointers) reach the Qt
# callers that tests/lsan.supp names.
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=0:fast_unwind_on_malloc=0
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

if [ "$mode" = fresh ]; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
else
  work=$out/work
fi
mkdir -p "$out/crashes" "$out/logs"

failed=()
for t in "${targets[@]}"; do
  mkdir -p "$work/$t"
  dict=()
  [ -f "$root/fuzz/$t.dict" ] && dict=(-dict="$root/fuzz/$t.dict")
  log=$out/logs/$t.log
  "$out/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    "${dict[@]}" -artifact_prefix="$out/crashes/$t-" "$work/$t" "$root/fuzz/corpus/$t" >"$log" 2>&1
  rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  if [ $rc -eq 0 ]; then
    echo "fuzz_$t: ${seconds}s, ${runs:-?} runs, ok"
  else
    echo "fuzz_$t: FAILED (exit $rc), log $log"
    tail -n 40 "$log"
    failed+=("$t")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz targets failing: ${failed[*]}"
  exit 1
fi
