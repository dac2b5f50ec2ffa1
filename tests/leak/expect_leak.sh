#!/usr/bin/env bash
# Runs the leak canary under the sanitizer with the project's suppressions and
# passes only if the canary's leak is reported.
set -uo pipefail
prog=$1
supp=$2
out=$(ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$supp:print_suppressions=0" \
      QT_QPA_PLATFORM=offscreen "$prog" 2>&1)
if grep -q 'leakCanarySlot' <<<"$out" && grep -q 'detected memory leaks' <<<"$out"; then
  echo "the canary's leak was reported"
  exit 0
fi
echo "$out"
echo "FAIL: the sanitizer did not report the canary's leak (suppressions too wide?)"
exit 1
