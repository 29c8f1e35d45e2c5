#!/usr/bin/env bash
# Configures and builds the three trees under ${BUILD_DIR:-build}:
#   host/   native Linux: simulated handset, image maker, their tests
#   win64/  x86_64 Windows: the program, its tests, the UI driver (run under Wine)
#   win32/  i686 Windows: the release for Windows 2000/XP (program only)
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "${BUILD_DIR:-$src/build}" && cd "${BUILD_DIR:-$src/build}" && pwd)
jobs=${JOBS:-$(nproc)}

configure() { # dir, extra args...
  local dir=$1; shift
  [ -f "$build/$dir/CMakeCache.txt" ] || cmake -S "$src" -B "$build/$dir" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
}

configure host
cmake --build "$build/host" -j "$jobs"
configure win64 -DCMAKE_TOOLCHAIN_FILE="$src/cmake/toolchain-mingw-x86_64.cmake" -DX7_HOST_BIN="$build/host"
cmake --build "$build/win64" -j "$jobs"
configure win32 -DCMAKE_TOOLCHAIN_FILE="$src/cmake/toolchain-mingw-i686.cmake" -DX7_TESTS=OFF
cmake --build "$build/win32" -j "$jobs"
