#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the unit
# tests natively, the unit tests again and the fuzz targets under clang's
# sanitizers (tests/fuzz/run.sh, FUZZ_SECONDS a target), the release packages
# checked as files, the release built again elsewhere and compared, signed and
# its manifest checked, the run command as a user with sudo (when this runs as
# root), the end-to-end scenarios against the real program and
# its packages under Wine on a virtual display, for each runtime and build.
# Screenshots of the run are kept in build/artefacts.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# One run at a time in a checkout; every process of the run holds the lock. A
# second run waits for the first; a run killed outright leaves its scenarios
# going with no one to count them, and those are ended here.
mkdir -p build
lock=$root/build/test.lock
exec 9>>"$lock"
if ! flock -n 9; then
  holder=$(cat "$lock")
  if [ -n "$holder" ] && [ -d "/proc/$holder" ]; then
    echo "Another test run in this checkout (process $holder) is under way: waiting for it to end"
  else
    echo "Ending what a test run in this checkout that was killed left running"
    # The search itself, run without the lock, finds only the run's processes.
    for fd in $(find /proc/[0-9]*/fd -maxdepth 1 -lname "$lock" 2>/dev/null 9>&-); do
      pid=${fd#/proc/} pid=${pid%%/*}
      [ "$pid" = $$ ] || kill "$pid" 2>/dev/null || true
    done
  fi
  flock 9
fi
echo $$ >"$lock"
# How long each stage took, told at the end: the suite must keep within its time.
timings=() mark=$SECONDS
took() { timings+=("$1 $((SECONDS - mark)) s"); mark=$SECONDS; }
./scripts/setup.sh --wine10
./scripts/build.sh native win64 win32

took "set-up and build"
echo "== unit tests (native)"
unit_status=0
(cd build/native && ctest --output-on-failure -j "$(nproc)") | tee build/unit.log || unit_status=$?
unit_total=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' build/unit.log | tail -1)
unit_failed=$(sed -n 's/.*, \([0-9]*\) tests failed out of.*/\1/p' build/unit.log | tail -1)

took "unit"
echo "== sanitizers and fuzzing (clang)"
fuzz_status=0
tests/fuzz/run.sh | tee build/fuzz.log || fuzz_status=$?
fuzz_counts=$(grep '^sanitized unit: ' build/fuzz.log | tail -1)
asan_total=$(sed -n 's/^sanitized unit: \([0-9]*\) run.*/\1/p' <<<"$fuzz_counts")
asan_failed=$(sed -n 's/^sanitized unit: [0-9]* run, \([0-9]*\) failed;.*/\1/p' <<<"$fuzz_counts")
fuzz_total=$(sed -n 's/.*fuzz targets: \([0-9]*\) run.*/\1/p' <<<"$fuzz_counts")
fuzz_failed=$(sed -n 's/.*fuzz targets: [0-9]* run, \([0-9]*\) failed$/\1/p' <<<"$fuzz_counts")

took "sanitizers and fuzzing"
echo "== packages (build/dist)"
version=$(sed -n 's/^project(Zindle VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
package_status=0 package_total=0 package_failed=0
./scripts/package.sh || package_status=$?
# A later version of the 64-bit package for the upgrade scenarios. Its program
# is the same one with a few bytes more at its end, so that the scenarios can
# tell which file the system folder holds.
IFS=. read -r major minor _ <<<"$version"
newer=build/package-test newer_msi=build/package-test/Zindle-$major.$((minor + 1)).0-x64.msi
rm -rf "$newer" && mkdir -p "$newer"
cp "build/win64/Zindle!.scr" "$newer/Zindle!.scr" && printf 'a later version' >>"$newer/Zindle!.scr"
packaging/build-msi.sh x64 "$major.$((minor + 1)).0" "$newer/Zindle!.scr" "$newer_msi" || package_status=$?
tests/package/check-dist.sh | tee build/package.log || package_status=$?
package_total=$(sed -n 's/^package checks: \([0-9]*\) run.*/\1/p' build/package.log)
package_failed=$(sed -n 's/^package checks: .* \([0-9]*\) failed$/\1/p' build/package.log)

took "packages"
echo "== release: built again elsewhere, signed, winget manifest"
release_status=0
tests/package/check-release.sh | tee build/release.log || release_status=$?
release_total=$(sed -n 's/^release checks: \([0-9]*\) run.*/\1/p' build/release.log)
release_failed=$(sed -n 's/^release checks: .* \([0-9]*\) failed$/\1/p' build/release.log)
# The 64-bit program of the signed release, for the scenario that runs it.
signed_scr=build/release-signed-x64/Zindle!.scr
rm -rf build/release-signed-x64
unzip -q -o -j "build/release-signed/Zindle-$version.zip" 'x64/Zindle!.scr' -d build/release-signed-x64 2>/dev/null ||
  release_status=1

took "release"
echo "== the run command as a user with sudo (when this runs as root)"
user_status=0
tests/scripts/check-as-user.sh | tee build/user.log || user_status=$?
user_total=$(sed -n 's/^user checks: \([0-9]*\) run.*/\1/p' build/user.log)
user_failed=$(sed -n 's/^user checks: [0-9]* run, \([0-9]*\) failed.*/\1/p' build/user.log)

took "as a user"
echo "== end-to-end tests (Windows program under Wine)"
winpath() { echo "Z:$1" | tr / '\\'; }
rm -rf build/artefacts build/e2e-*.xml && mkdir -p build/artefacts
export ZINDLE_SCR64=$(winpath "$root/build/win64/Zindle!.scr")
export ZINDLE_SCR32=$(winpath "$root/build/win32/Zindle!.scr")
# The photo desktop that the look of the run is judged on.
bench/look/make-desktop.sh build/look-desktop.ppm 800x600 && convert build/look-desktop.ppm BMP3:build/look-desktop.bmp
export ZINDLE_LOOK_DESKTOP=$(winpath "$root/build/look-desktop.bmp")
export ZINDLE_MSI64=$(winpath "$root/build/dist/Zindle-$version-x64.msi")
export ZINDLE_MSI32=$(winpath "$root/build/dist/Zindle-$version-x86.msi")
export ZINDLE_MSI64_NEWER=$(winpath "$root/$newer_msi")
export ZINDLE_SCR_NEWER=$(winpath "$root/$newer/Zindle!.scr")
export ZINDLE_SCR_SIGNED=$(winpath "$root/$signed_scr")
export ZINDLE_ICON=$(winpath "$root/resources/zindle.ico")
# The picture files that once took the program down, made once (a few seconds).
python3 tests/e2e/bad_pictures.py build/pictures
export ZINDLE_PICTURES=$(winpath "$root/build/pictures")
# Each runtime and build: the whole suite on one monitor; then scenarios of
# several monitors once per layout, unless a filter of the caller leaves them
# out (Wine 10 here reads the second monitor of X.Org's dummy driver as black). The 32-bit program runs on Wine 10 only here (see the README).
combinations=${ZINDLE_E2E_COMBINATIONS:-"8/x64 10/x64 10/x86"}
layouts="right left gap three"
# On Wine 10 the shipped 32-bit program's dialog once more on a display that
# is itself at 150 %: Wine 10 takes a monitor's scale from the X server.
high_dpi=DialogAtHighDpi.*
for argument in "$@"; do
  case $argument in --gtest_filter=*) [[ $argument == *Monitors* ]] || layouts=; [[ $argument == *HighDpi* ]] || high_dpi=; ;; esac
done
# Wine 8 runs every scenario of several monitors; Wine 10, with the shipped
# 32-bit program, those of the layout changing under the saver, which check
# no pixel there.
monitor_scenarios() {
  case $1 in
    8/*) echo 'MonitorsTest.*' ;;
    10/x86) echo 'MonitorsTest.ASecondaryMonitor*:MonitorsTest.ThePrimarys*:MonitorsTest.AMonitorAdded*:MonitorsTest.AChangeOfResolution*:MonitorsTest.ChangesInTheMiddle*:MonitorsTest.ThePropertiesDialog*' ;;
  esac
}
e2e_status=0
if [[ $combinations == *x86* ]]; then
  scripts/wine-tree.sh i386 on $$
  trap 'scripts/wine-tree.sh i386 off $$' EXIT
fi
for combination in $combinations; do
  runtime=${combination%/*} arch=${combination#*/}
  echo "== end-to-end: $arch program on Wine $runtime"
  mkdir -p "build/artefacts/$runtime-$arch"
  export ZINDLE_ARTEFACTS=$(winpath "$root/build/artefacts/$runtime-$arch")
  timeout 2400 tests/e2e/run-under-wine.sh --wine "$runtime" --arch "$arch" build/win64/tests/e2e/zindle_e2e.exe \
    --gtest_output="xml:$(winpath "$root/build/e2e-$runtime-$arch.xml")" "$@" || e2e_status=$?
  if [ -n "$layouts" ] && [ "$(monitor_scenarios "$runtime/$arch")" ]; then
    echo "== end-to-end: $arch program on Wine $runtime, several monitors (X.Org's dummy driver)"
    timeout 900 tests/e2e/run-under-wine.sh --wine "$runtime" --arch "$arch" --layouts "$layouts" \
      build/win64/tests/e2e/zindle_e2e.exe --gtest_filter="$(monitor_scenarios "$runtime/$arch")" \
      --gtest_output="xml:$(winpath "$root/build/e2e-$runtime-$arch-monitors-{layout}.xml")" "$@" || e2e_status=$?
  fi
  if [ -n "$high_dpi" ] && [ "$runtime" != 8 ] && [ "$arch" = x86 ]; then
    echo "== end-to-end: $arch program on Wine $runtime, the display itself at 150 %"
    timeout 300 tests/e2e/run-under-wine.sh --wine "$runtime" --arch "$arch" --dpi 144 \
      build/win64/tests/e2e/zindle_e2e.exe "$@" --gtest_filter="$high_dpi" \
      --gtest_output="xml:$(winpath "$root/build/e2e-$runtime-$arch-dpi144.xml")" || e2e_status=$?
  fi
  took "Wine $runtime $arch"
done
# Each report: tests run (not disabled, not skipped) and failed; a report
# missing or cut short (its run killed, a crash while it was written) counts
# as a failure of its combination, and is named in the summary.
broken_reports=()
count_reports() {  # combination; sets run and failed
  local runtime=${1%/*} arch=${1#*/} xml counts tests disabled skipped failures
  local reports=("build/e2e-$runtime-$arch.xml")
  [ -z "$(monitor_scenarios "$1")" ] || for layout in $layouts; do reports+=("build/e2e-$runtime-$arch-monitors-$layout.xml"); done
  [ "$runtime" = 8 ] || [ "$arch" != x86 ] || [ -z "$high_dpi" ] || reports+=("build/e2e-$runtime-$arch-dpi144.xml")
  run=0 failed=0
  for xml in "${reports[@]}"; do
    if ! counts=$(python3 - "$xml" 2>/dev/null <<'PY'
import sys, xml.etree.ElementTree as tree
top = tree.parse(sys.argv[1]).getroot()
skipped = sum(1 for case in top.iter("testcase") if case.get("result") == "skipped")
print(int(top.get("tests")), int(top.get("disabled", 0)), skipped, int(top.get("failures")))
PY
    ); then
      failed=$((failed + 1))
      broken_reports+=("$xml")
      continue
    fi
    read -r tests disabled skipped failures <<<"$counts"
    run=$((run + tests - disabled - skipped))
    failed=$((failed + failures))
  done
}
e2e_total=0 e2e_failed=0 e2e_lines=()
for combination in $combinations; do
  count_reports "$combination"
  e2e_lines+=("end-to-end, ${combination#*/} program on Wine ${combination%/*}: $run run, $failed failed")
  e2e_total=$((e2e_total + run)) e2e_failed=$((e2e_failed + failed))
done
for bmp in build/artefacts/*/*.bmp; do
  [ -e "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" && rm "$bmp"
done

passed=$(( ${unit_total:-0} - ${unit_failed:-0} + ${asan_total:-0} - ${asan_failed:-0} + ${fuzz_total:-0} -
           ${fuzz_failed:-0} + ${package_total:-0} - ${package_failed:-0} + ${release_total:-0} - ${release_failed:-0} +
           ${user_total:-0} - ${user_failed:-0} + e2e_total - e2e_failed ))
failed=$(( ${unit_failed:-0} + ${asan_failed:-0} + ${fuzz_failed:-0} + ${package_failed:-0} + ${release_failed:-0} +
           ${user_failed:-0} + e2e_failed ))
[ $unit_status -eq 0 ] || [ "$failed" -gt 0 ] || failed=1
[ $fuzz_status -eq 0 ] || [ "$failed" -gt 0 ] || failed=1
[ $package_status -eq 0 ] || [ "$failed" -gt 0 ] || failed=1
[ $release_status -eq 0 ] || [ "$failed" -gt 0 ] || failed=1
[ $user_status -eq 0 ] || [ "$failed" -gt 0 ] || failed=1
[ $e2e_status -eq 0 ] || [ "$failed" -gt 0 ] || failed=1
echo
echo "unit: ${unit_total:-0} run, ${unit_failed:-0} failed"
echo "sanitized unit: ${asan_total:-0} run, ${asan_failed:-0} failed"
echo "fuzz targets: ${fuzz_total:-0} run, ${fuzz_failed:-0} failed"
echo "packages: ${package_total:-0} run, ${package_failed:-0} failed"
echo "release: ${release_total:-0} run, ${release_failed:-0} failed"
echo "as a user with sudo: ${user_total:-0} run, ${user_failed:-0} failed"
printf '%s\n' "${e2e_lines[@]}"
[ ${#broken_reports[@]} -eq 0 ] || echo "missing or cut short, each counted as a failure: ${broken_reports[*]}"
echo "time: $(IFS=,; echo "${timings[*]}" | sed 's/,/, /g'); in all $((SECONDS / 60)) min $((SECONDS % 60)) s"
echo "tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
