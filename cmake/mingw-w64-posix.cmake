set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# ctest runs each Windows test through Wine; see the runner for why not through wine itself.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-test-runner.sh)
# nlohmann-json is header-only and shared with the native build.
set(nlohmann_json_DIR /usr/share/cmake/nlohmann_json CACHE PATH "")
list(APPEND CMAKE_PREFIX_PATH /usr/share/cmake)
# The runtime is linked statically and must import only system DLLs: take libz.a, not zlib1.dll.
# Plain variables win over a cache that an earlier configure filled with the import library.
set(ZLIB_USE_STATIC_LIBS ON)
set(ZLIB_LIBRARY /usr/x86_64-w64-mingw32/lib/libz.a)
set(ZLIB_LIBRARY_RELEASE /usr/x86_64-w64-mingw32/lib/libz.a)
