#!/usr/bin/env bash
# Runs the leak canary under the sanitizer with the project's suppressions and
# passes only if both of the canary's leaks are reported.
set -uo pipefail
prog=$1
supp=$2
out=$(ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$supp:print_suppressions=0" \
      QT_QPA_PLATFORM=offscreen "$prog" 2>&1)
# The fontconfig pattern's stack shows the pattern's allocation, then the slot's
# callers (fontconfig has no frame pointers, so the slot itself may be skipped).
if grep -q 'detected memory leaks' <<<"$out" && grep -q 'leakCanarySlot' <<<"$out" \
   && grep -qE 'in (FcPatternCreate|FcNameParse)' <<<"$out"; then
  echo "both canary leaks were reported"
  exit 0
fi
echo "$out"
echo "FAIL: the sanitizer did not report the canary's leaks (suppressions too wide?)"
exit 1
