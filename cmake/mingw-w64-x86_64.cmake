# Cross-build for 64-bit Windows with Debian's MinGW-w64 (GCC, posix thread
# model, so std::thread and std::mutex work), run under Wine for the tests:
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TOLVANE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TOLVANE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOLVANE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TOLVANE_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TOLVANE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows 10 APIs, the wide (UTF-16) forms of every call, and 64-bit file
# offsets in the C runtime (the Zip64 records depend on them).
add_compile_definitions(_WIN32_WINNT=0x0A00 WINVER=0x0A00 UNICODE _UNICODE _FILE_OFFSET_BITS=64)
# A self-contained .exe: no libgcc, libstdc++ or winpthread DLL beside it.
# Large test objects (GoogleTest, Asio) pass the 2^16 sections of a plain COFF object.
set(CMAKE_CXX_FLAGS_INIT "-Wa,-mbig-obj")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# zlib from libz-mingw-w64-dev, linked statically too.
set(ZLIB_USE_STATIC_LIBS ON)

# Programs the build or ctest runs (the tests, gtest_discover_tests) run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
