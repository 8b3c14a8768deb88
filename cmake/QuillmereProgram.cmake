# How Quillmere.exe is compiled and linked, in one place.
#
# The program starts no thread, yet with the posix thread model, which the
# tests need (GoogleTest locks a std::mutex), the runtime links winpthreads
# into it. So, with MinGW-w64, the program is built with the win32 thread
# model's compilers instead. Their libstdc++ differs from the posix one in
# its headers as much as in its archives, so every library the program links
# is compiled a second time for it, as <name>_program; the tests link <name>.
# With MSVC, and natively, one build serves both, and <name>_program names it.

if(MINGW)
    find_program(QUILLMERE_PROGRAM_CXX ${QUILLMERE_MINGW_TRIPLET}-g++-win32 REQUIRED)
    # CMake knows one C++ compiler per build folder; this runs the other one
    # with the arguments CMake made for its own.
    set(quillmere_program_launcher ${CMAKE_CURRENT_LIST_DIR}/run-instead.sh ${QUILLMERE_PROGRAM_CXX})
endif()

# Compiled for the program. Not with -ffunction-sections/-fdata-sections: the
# program's own code is nearly all reached, and they made it 512 bytes larger.
function(quillmere_compile_for_program target)
    if(NOT MINGW)
        return()
    endif()
    set_target_properties(${target} PROPERTIES CXX_COMPILER_LAUNCHER "${quillmere_program_launcher}")
endfunction()

# quillmere_add_library(NAME SOURCES... [LIBS...]): a static library of the
# program's own code, NAME for the tests and NAME_program for the program.
function(quillmere_add_library name)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "" "" "SOURCES;LIBS")
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
    if(NOT MINGW)
        add_library(${name}_program ALIAS ${name})
        return()
    endif()
    set(program_libs)
    foreach(lib IN LISTS ARG_LIBS)
        if(TARGET ${lib}_program)
            list(APPEND program_libs ${lib}_program)
        else()
            list(APPEND program_libs ${lib})
        endif()
    endforeach()
    add_library(${name}_program STATIC ${ARG_SOURCES})
    target_include_directories(${name}_program PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name}_program PUBLIC ${program_libs})
    quillmere_compile_for_program(${name}_program)
endfunction()

# Linked as the program that ships: Quillmere.exe, and the test programs
# that must behave exactly as it does. With MinGW-w64: the win32 thread
# model, unreferenced sections dropped, the runtime's terminate handler
# without its demangler (app/TerminateHandler.cpp), a link map beside it,
# from which the release lists what the program carries of the runtime's
# code, and Terminal Server aware, as MSVC makes a console program: on
# Remote Desktop hosts, where logon scripts often run, Windows then maps
# none of its registry and INI accesses to per-user copies.
function(quillmere_link_as_program target)
    if(NOT MINGW)
        return()
    endif()
    quillmere_compile_for_program(${target})
    set_target_properties(${target} PROPERTIES CXX_LINKER_LAUNCHER "${quillmere_program_launcher}")
    target_sources(${target} PRIVATE $<TARGET_OBJECTS:quillmere_terminate_handler>)
    target_link_options(${target} PRIVATE
        -Wl,--gc-sections
        -Wl,--tsaware
        -Wl,-Map=$<TARGET_FILE_DIR:${target}>/$<TARGET_FILE_BASE_NAME:${target}>.map)
endfunction()
