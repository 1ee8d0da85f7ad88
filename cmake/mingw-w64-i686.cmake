# Cross-build of the shipped 32-bit Windows program with MinGW-w64; its tests
# run under 32-bit Wine where this machine can run 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(BLKCOPY_MINGW_TRIPLE i686-w64-mingw32)
set(BLKCOPY_WINE_NAMES wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
