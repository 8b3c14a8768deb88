#!/bin/sh
# run-instead.sh COMPILER CMAKE_COMPILER ARGUMENTS...: a compiler launcher
# that runs COMPILER where CMake would run CMAKE_COMPILER, with the same
# arguments.
compiler=$1
shift 2
exec "$compiler" "$@"
