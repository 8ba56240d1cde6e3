# Cross compiling for 64-bit Windows with Debian's mingw-w64 (posix thread model). Libraries are
# looked up in the mingw system root and in the libpng that the set-up script builds.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
get_filename_component(_quillmark_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 "${_quillmark_root}/build/deps/mingw")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Static libraries only: the programs are single files with no DLLs beside them.
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
# zlib's finder would otherwise take the import library libz.dll.a, and the programs would need
# zlib1.dll beside them (Wine has one of its own, so only a real Windows shows the fault).
set(ZLIB_USE_STATIC_LIBS ON)
