# i686 Windows build: the 32-bit shipping build, its tests run under 32-bit Wine
# in a 32-bit prefix (scripts/lib.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ZELMAR_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
# x87 extended precision would change the grey levels; SSE2 gives the same
# doubles as the other builds.
string(APPEND CMAKE_CXX_FLAGS_INIT " -msse2 -mfpmath=sse")
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine)
