#!/usr/bin/env bash
# Builds the native program into build/ and, unless --native-only, the 32-bit
# Windows program into build-win32/. --program-only builds the native program
# alone, without the tests. --with-win64 also builds the same sources as a
# 64-bit Windows program into build-win64/: the tests' stand-in for the
# shipped exe on a machine that can't start 32-bit programs.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
if [ "${1:-}" = "--program-only" ]; then exec cmake --build build -j "$jobs" --target blkcopy; fi
cmake --build build -j "$jobs"

cross_build() {  # TREE TOOLCHAIN
  local tree=$1 toolchain=cmake/$2
  # CMake keeps the compiler a cache was made with: after a change of the
  # toolchain files the cross build starts afresh.
  if [ "$toolchain" -nt "$tree/CMakeCache.txt" ] ||
     [ cmake/mingw-w64-common.cmake -nt "$tree/CMakeCache.txt" ]; then rm -rf "$tree"; fi
  cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" >/dev/null
  cmake --build "$tree" -j "$jobs"
}
if [ "${1:-}" != "--native-only" ]; then cross_build build-win32 mingw-w64-i686.cmake; fi
if [ "${1:-}" = "--with-win64" ]; then cross_build build-win64 mingw-w64-x86_64.cmake; fi
