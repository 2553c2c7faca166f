#!/usr/bin/env bash
# Builds the portable core with its unit tests (native), and the program for
# 64-bit and 32-bit Windows with MinGW-w64. Output in build/.
# usage: build.sh [--program] [native] [win64] [win32]
#   --program   of the Windows builds only the program, not its tests
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
only=()
if [ "${1:-}" = --program ]; then only=(--target zindle); shift; fi
# Compiled objects kept in build/ccache, found again for the same sources in
# any folder and whatever the language of the compiler's messages: a second
# copy of the checkout builds in seconds. The programs are the same bytes
# either way: they name their sources by file name only.
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_DIR=${CCACHE_DIR:-$root/build/ccache} CCACHE_BASEDIR=$root CCACHE_SLOPPINESS=locale
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
configure() {  # folder, extra cmake arguments
  local dir=$root/build/$1 build=()
  [ "$1" = native ] || build=("${only[@]}")
  shift
  cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" "$@" >/dev/null
  if ! cmake --build "$dir" -j "$jobs" "${build[@]}" >"$dir/build.log" 2>&1; then
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
