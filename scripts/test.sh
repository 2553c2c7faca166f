#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the unit
# tests natively, the end-to-end scenarios against the real program under Wine
# on a virtual display. Screenshots of the run are kept in build/artefacts.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
./scripts/setup.sh
./scripts/build.sh native win64 win32

echo "== unit tests (native)"
unit_status=0
(cd build/native && ctest --output-on-failure -j "$(nproc)") | tee build/unit.log || unit_status=$?
unit_total=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' build/unit.log | tail -1)
unit_failed=$(sed -n 's/.*, \([0-9]*\) tests failed out of.*/\1/p' build/unit.log | tail -1)

echo "== end-to-end tests (Windows program under Wine)"
winpath() { echo "Z:$1" | tr / '\\'; }
rm -rf build/artefacts build/e2e.xml && mkdir -p build/artefacts
export ZINDLE_SCR=$(winpath "$root/build/win64/Zindle!.scr")
export ZINDLE_SCR32=$(winpath "$root/build/win32/Zindle!.scr")
export ZINDLE_ARTEFACTS=$(winpath "$root/build/artefacts")
# The picture files that once took the program down, made once (a few seconds).
python3 tests/e2e/bad_pictures.py build/pictures
export ZINDLE_PICTURES=$(winpath "$root/build/pictures")
e2e_status=0
timeout 1200 tests/e2e/run-under-wine.sh build/win64/tests/e2e/zindle_e2e.exe \
  --gtest_output="xml:$(winpath "$root/build/e2e.xml")" "$@" || e2e_status=$?
e2e_total=0 e2e_failed=0
if [ -f build/e2e.xml ]; then
  e2e_total=$(grep -o -m1 'tests="[0-9]*"' build/e2e.xml | tr -dc 0-9)
  e2e_failed=$(grep -o -m1 'failures="[0-9]*"' build/e2e.xml | tr -dc 0-9)
  disabled=$(grep -o -m1 'disabled="[0-9]*"' build/e2e.xml | tr -dc 0-9)
  e2e_total=$((e2e_total - ${disabled:-0}))
elif [ $e2e_status -ne 0 ]; then
  e2e_failed=1
fi
for bmp in build/artefacts/*.bmp; do
  [ -e "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" && rm "$bmp"
done

passed=$(( ${unit_total:-0} - ${unit_failed:-0} + e2e_total - e2e_failed ))
failed=$(( ${unit_failed:-0} + e2e_failed ))
[ $unit_status -eq 0 ] || [ "$failed" -gt 0 ] || failed=1
[ $e2e_status -eq 0 ] || [ "$failed" -gt 0 ] || failed=1
echo
echo "unit: ${unit_total:-0} run, ${unit_failed:-0} failed; end-to-end: $e2e_total run, $e2e_failed failed"
echo "tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
