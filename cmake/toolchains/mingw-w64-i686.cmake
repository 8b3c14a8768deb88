# Cross-compiles the Windows x86 program on Debian with MinGW-w64, for
# machines with 32-bit Outlook: a MAPI client must have Outlook's bitness.
# The -posix variant: the win32-thread runtime has no std::mutex, which GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR X86)

set(QUILLMERE_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_C_COMPILER   ${QUILLMERE_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLMERE_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${QUILLMERE_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUILLMERE_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
