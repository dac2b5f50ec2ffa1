#!/usr/bin/env bash
# Runs the race canary under the thread sanitizer with the project's
# suppressions and passes only if its race is reported.
set -uo pipefail
prog=$1
supp=$2
out=$(TSAN_OPTIONS="halt_on_error=1 suppressions=$supp" QT_QPA_PLATFORM=offscreen "$prog" 2>&1)
if grep -q 'ThreadSanitizer: data race' <<<"$out" && grep -q 'appendFrames' <<<"$out"; then
  echo "the canary's race was reported"
  exit 0
fi
echo "$out"
echo "FAIL: the thread sanitizer did not report the canary's race (suppressions too wide?)"
exit 1
