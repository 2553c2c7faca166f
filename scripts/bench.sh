#!/usr/bin/env bash
# Installs what is missing, builds the benchmarks and prints every figure:
# the portable engine and analysis natively (Google Benchmark), then the real
# GDI paths and the saver process under Wine at each screen size. It measures
# and reports; it never fails on speed. The output is also kept in
# build/bench-results.txt.
# Environment: BENCH_SIZES (default "800x600 1920x1080 3840x2160"),
# BENCH_RUNS (launches per start-up case; exit latency takes twice as many).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
./scripts/setup.sh
sizes=${BENCH_SIZES:-800x600 1920x1080 3840x2160}
runs=${BENCH_RUNS:-5}
jobs=$(( $(nproc) < 2 ? 1 : 2 ))

mkdir -p build
log=build/bench-build.log
: >"$log"
quietly() { "$@" >>"$log" 2>&1 || { cat "$log"; echo "bench.sh: build failed: $*" >&2; exit 1; }; }
echo "Building the benchmarks (log in $log)"
quietly cmake -S . -B build/bench-native -DZINDLE_BENCH=ON
quietly cmake --build build/bench-native -j "$jobs" --target zindle_bench
toolchain=()
[ -f build/bench-win64/CMakeCache.txt ] || toolchain=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake)
quietly cmake -S . -B build/bench-win64 "${toolchain[@]}" -DZINDLE_BENCH=ON -DZINDLE_E2E=OFF
quietly cmake --build build/bench-win64 -j "$jobs" --target zindle zindle_bench zindle_bench_stub

out=build/bench-results.txt
{
  echo "== machine"
  echo "date: $(date -u '+%Y-%m-%d %H:%M UTC')   commit: $(git rev-parse --short HEAD 2>/dev/null || echo none)"
  echo "nproc: $(nproc)"
  lscpu | head -n 15
  echo "wine: $( (/usr/lib/wine/wine64 --version || wine64 --version || wine --version) 2>/dev/null | head -1)"
  echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
  echo
  echo "== portable engine and analysis (native, Google Benchmark)"
  build/bench-native/bench/zindle_bench --benchmark_min_time=0.2 2>&1 || echo "(native bench failed: $?)"
  echo
  winpath() { echo "Z:$1" | tr / '\\'; }
  export ZINDLE_SCR=$(winpath "$root/build/bench-win64/Zindle!.scr")
  python3 tests/e2e/bad_pictures.py build/pictures --photo
  export ZINDLE_PICTURES=$(winpath "$root/build/pictures")
  for size in $sizes; do
    echo "== real GDI and the saver process under Wine at $size"
    timeout 600 tests/e2e/run-under-wine.sh --size "$size" build/bench-win64/bench/zindle_bench.exe --runs "$runs" \
      2>&1 || echo "(the Windows bench at $size ended with $?)"
    echo
  done
} | tee "$out"
echo "Figures kept in $out"
