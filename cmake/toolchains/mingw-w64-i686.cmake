# Cross-compiles the Windows x86 program on Debian with MinGW-w64, for
# machines with 32-bit Outlook: a MAPI client must have Outlook's bitness.
set(CMAKE_SYSTEM_PROCESSOR X86)
set(QUILLMERE_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
