# Cross-build of the same sources as a 64-bit Windows program, for the tests
# alone: a machine that can't start 32-bit programs runs the Windows suites
# against it under 64-bit Wine. It is neither packaged nor installed.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(BLKCOPY_MINGW_TRIPLE x86_64-w64-mingw32)
set(BLKCOPY_WINE_NAMES wine64)
set(BLKCOPY_WINE_PATHS /usr/lib/wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
