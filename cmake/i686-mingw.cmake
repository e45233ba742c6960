# Cross-compiling for 32-bit Windows with the i686 mingw-w64 compilers (posix threading
# model, which std::thread and std::mutex need) and windres for the resource scripts.
#   cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/i686-mingw.cmake

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(SX_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${SX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${SX_MINGW_PREFIX}-windres)

# Headers and libraries only from the cross environment; programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${SX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Self-contained executables: the compiler runtime and the winpthreads library are linked
# in, so the only DLLs imported are the system's own.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Lets CTest and `cmake -E` run the Windows executables on this machine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run)
