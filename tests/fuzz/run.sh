#!/usr/bin/env bash
# The suite's sanitizer stage: builds the unit tests and the fuzz targets
# with clang's address and undefined-behaviour sanitizers, runs the unit
# tests so, then each fuzz target for a bounded time (FUZZ_SECONDS, 20 by
# default), printing its executions. A crash fails the stage and leaves its
# input in build/fuzz/crashes/. The last line gives the counts:
#   sanitized unit: N run, N failed; fuzz targets: N run, N failed
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
. tests/fuzz/common.sh
seconds=${FUZZ_SECONDS:-20}

unit_total=0 unit_failed=0
echo "== unit tests under the sanitizers (build/native-asan)"
if build_sanitized_units; then
  rm -f build/native-asan/unit.xml
  # The report is written before LeakSanitizer looks at what is left at the
  # exit, so the program's own status counts as well as the report.
  status=0
  build/native-asan/zindle_unit --gtest_brief=1 --gtest_output=xml:build/native-asan/unit.xml \
    >build/native-asan/unit.log 2>&1 || status=$?
  tail -n 30 build/native-asan/unit.log
  if [ -f build/native-asan/unit.xml ]; then
    unit_total=$(grep -o -m1 'tests="[0-9]*"' build/native-asan/unit.xml | tr -dc 0-9)
    unit_failed=$(grep -o -m1 'failures="[0-9]*"' build/native-asan/unit.xml | tr -dc 0-9)
  fi
  unit_total=${unit_total:-0} unit_failed=${unit_failed:-0}
  if [ $status -ne 0 ] && [ "$unit_failed" -eq 0 ]; then
    # A sanitizer ended the run, or found a leak after the last test.
    unit_failed=1
    echo "the sanitized unit tests ended with status $status"
  fi
  echo "sanitized unit tests: $unit_total run, $unit_failed failed"
else
  unit_failed=1
fi

fuzz_total=0 fuzz_failed=0
echo "== fuzz targets ($seconds s each, build/fuzz)"
if build_fuzz_targets; then
  # A target a core: each still gets its whole time, and the stage ends sooner.
  # Each target's lines are told in order once all have run.
  results=$(mktemp -d /tmp/zindle-fuzz.XXXXXX)
  trap 'rm -rf "$results"' EXIT
  running=0
  for name in $fuzz_targets; do
    if [ $running -ge "$fuzz_jobs" ]; then wait -n || true; running=$((running - 1)); fi
    (status=0; run_fuzz_target "$name" "$seconds" >"$results/$name" 2>&1 || status=$?; echo $status >"$results/$name.status") &
    running=$((running + 1))
  done
  wait
  for name in $fuzz_targets; do
    fuzz_total=$((fuzz_total + 1))
    cat "$results/$name"
    [ "$(cat "$results/$name.status" 2>/dev/null)" = 0 ] || fuzz_failed=$((fuzz_failed + 1))
  done
else
  fuzz_failed=1
fi
echo "sanitized unit: $unit_total run, $unit_failed failed; fuzz targets: $fuzz_total run, $fuzz_failed failed"
[ "$unit_failed" -eq 0 ] && [ "$fuzz_failed" -eq 0 ]
