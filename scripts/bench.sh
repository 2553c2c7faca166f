#!/usr/bin/env bash
# Installs what is missing, builds the benchmarks and prints every figure:
# the portable engine and analysis natively (Google Benchmark), then the real
# GDI paths and the saver process under Wine at each screen size. It measures
# and reports; it never fails on speed. The output is also kept in
# build/bench-results.txt.
# At each size the peer on Linux (the melt of the classic X11 screen-saver
# collection) runs too, and its CPU share is set beside the saver's.
# Environment: BENCH_SIZES (default "800x600 1920x1080 3840x2160"),
# BENCH_RUNS (launches per start-up case; exit latency takes twice as many),
# BENCH_ONLY (sections of the Windows bench, e.g. "cpu exit", and "hardening"
# for the cost of the stack protector; default all).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
./scripts/setup.sh
# The peer, and the image loader it grabs its picture with.
peer_packages=(xscreensaver-data-extra xscreensaver)
for p in "${peer_packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${peer_packages[@]}" >/dev/null
    break
  fi
done
sizes=${BENCH_SIZES:-800x600 1920x1080 3840x2160}
runs=${BENCH_RUNS:-5}
only=()
for section in ${BENCH_ONLY:-}; do [ "$section" = hardening ] || only+=(--only "$section"); done
wants() { [ -z "${BENCH_ONLY:-}" ] || [[ " $BENCH_ONLY " == *" $1 "* ]]; }
jobs=$(( $(nproc) < 2 ? 1 : 2 ))

mkdir -p build
log=build/bench-build.log
: >"$log"
quietly() { "$@" >>"$log" 2>&1 || { cat "$log"; echo "bench.sh: build failed: $*" >&2; exit 1; }; }
echo "Building the benchmarks (log in $log)"
quietly cmake -S . -B build/bench-native -DZINDLE_BENCH=ON
quietly cmake --build build/bench-native -j "$jobs" --target zindle_bench zindle_hand_over
toolchain=()
[ -f build/bench-win64/CMakeCache.txt ] || toolchain=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake)
quietly cmake -S . -B build/bench-win64 "${toolchain[@]}" -DZINDLE_BENCH=ON -DZINDLE_E2E=OFF
quietly cmake --build build/bench-win64 -j "$jobs" --target zindle zindle_bench zindle_bench_stub
# The same program without the stack protector and fortified copies, for
# what they cost.
[ -f build/bench-win64-plain/CMakeCache.txt ] || toolchain=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake)
quietly cmake -S . -B build/bench-win64-plain "${toolchain[@]}" -DZINDLE_HARDENED=OFF -DZINDLE_E2E=OFF
quietly cmake --build build/bench-win64-plain -j "$jobs" --target zindle

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
  echo "== what the frames hand over (the portable engine, no drawing)"
  build/bench-native/bench/zindle_hand_over || echo "(hand-over reckoning failed: $?)"
  echo
  winpath() { echo "Z:$1" | tr / '\\'; }
  export ZINDLE_SCR=$(winpath "$root/build/bench-win64/Zindle!.scr")
  python3 tests/e2e/bad_pictures.py build/pictures --photo
  export ZINDLE_PICTURES=$(winpath "$root/build/pictures")
  for size in $sizes; do
    [ -z "${BENCH_ONLY:-}" ] || [ ${#only[@]} -gt 0 ] || break
    echo "== real GDI and the saver process under Wine at $size"
    timeout 600 tests/e2e/run-under-wine.sh --size "$size" build/bench-win64/bench/zindle_bench.exe --runs "$runs" \
      "${only[@]}" 2>&1 | tee "build/bench-$size.txt" || echo "(the Windows bench at $size ended with $?)"
    echo
    echo "== the peer on Linux at $size, beside the saver"
    bench/peer.sh "$size" "build/bench-$size.txt" || echo "(the peer at $size ended with $?)"
    echo
  done
  if wants hardening; then
    echo "== what the hardening costs: the size, and the start-up of each program in turn at 1920x1080"
    for program in bench-win64 bench-win64-plain; do
      echo "$program/Zindle!.scr: $(stat -c %s "build/$program/Zindle!.scr") bytes"
    done
    for round in 1 2; do
      for program in bench-win64 bench-win64-plain; do
        echo "-- $program, round $round"
        ZINDLE_SCR=$(winpath "$root/build/$program/Zindle!.scr") timeout 600 tests/e2e/run-under-wine.sh --size 1920x1080 \
          build/bench-win64/bench/zindle_bench.exe --runs "$runs" --only startup 2>&1 | grep -E "first frame" || true
      done
    done
  fi
} | tee "$out"
echo "Figures kept in $out"
