#!/usr/bin/env bash
# Cross-builds Tolvane for 64-bit Windows with MinGW-w64: the core libraries,
# tolvane-cli.exe and the test programs, optimised (-O2), with Ninja.
# Usage: scripts/build-windows.sh [BUILD_DIR] [extra cmake arguments...]
# BUILD_DIR defaults to build-win under the repository's top folder. Installs
# what is missing first (scripts/install-deps.sh --windows). Run the tests
# with scripts/test-windows.sh BUILD_DIR.
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
buildDir="$top/build-win"
if [ "$#" -gt 0 ] && [ "${1#-}" = "$1" ]; then
  buildDir="$1"
  shift
fi
jobs="${TOLVANE_JOBS:-$(nproc 2>/dev/null || echo 2)}"

bash "$top/scripts/install-deps.sh" --windows

launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
# Release is -O2 (CMake's -O3 is not what is wanted here).
cmake -S "$top" -B "$buildDir" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
  "${launcher[@]}" "$@"
cmake --build "$buildDir" --parallel "$jobs"
