#!/usr/bin/env bash
# Builds the native program into build/ and, unless --native-only, the 32-bit
# Windows program into build-win32/. --program-only builds the native program
# alone, without the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
if [ "${1:-}" = "--program-only" ]; then exec cmake --build build -j "$jobs" --target blkcopy; fi
cmake --build build -j "$jobs"
if [ "${1:-}" != "--native-only" ]; then
  # CMake keeps the compiler a cache was made with: after a change of the
  # toolchain file the cross build starts afresh.
  if [ cmake/mingw-w64-i686.cmake -nt build-win32/CMakeCache.txt ]; then rm -rf build-win32; fi
  cmake -S . -B build-win32 -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake >/dev/null
  cmake --build build-win32 -j "$jobs"
fi
