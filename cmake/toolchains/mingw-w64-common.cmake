# The MinGW-w64 cross toolchain on Debian, for the triplet the including file
# sets in QUILLMERE_MINGW_TRIPLET. The -posix variant: the win32-thread
# runtime has no std::mutex, which GoogleTest needs. Quillmere.exe itself is
# built with the -win32 variant (cmake/QuillmereProgram.cmake).
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${QUILLMERE_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLMERE_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${QUILLMERE_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUILLMERE_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
