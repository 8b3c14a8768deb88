# Cross-compiles the Windows x64 program on Debian with MinGW-w64.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(QUILLMERE_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
