#!/usr/bin/env bash
# Builds the portable core with its unit tests (native), and the program for
# 64-bit and 32-bit Windows with MinGW-w64. Output in build/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
configure() {  # folder, extra cmake arguments
  local dir=$root/build/$1; shift
  cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
  if ! cmake --build "$dir" -j "$jobs" >"$dir/build.log" 2>&1; then
    grep -E -A3 "error|Error" "$dir/build.log" | head -60
    echo "build of $(basename "$dir") failed: see $dir/build.log" >&2
    return 1
  fi
  grep -E "warning:" "$dir/build.log" | sort -u | head -20 || true
}
targets=${*:-native win64 win32}
for target in $targets; do
  case $target in
    native) configure native ;;
    win64) configure win64 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" ;;
    win32) configure win32 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DZINDLE_E2E=ON ;;
  esac
done
