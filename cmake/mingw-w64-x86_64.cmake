# Cross-build for 64-bit Windows with Debian's mingw-w64 (the posix thread model, whose C++
# library is complete). Programs link statically: one .exe, no runtime DLL to ship.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MONVALOR_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-commun.cmake)
