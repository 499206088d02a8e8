#!/usr/bin/env bash
# Configures and builds Tolvane with Ninja.
# Usage: scripts/build.sh [BUILD_DIR] [extra cmake arguments...]
# BUILD_DIR defaults to "build" under the repository's top folder; a relative
# BUILD_DIR given on the command line is taken from the current folder.
# The build type defaults to RelWithDebInfo in CMakeLists.txt; pass
# -DCMAKE_BUILD_TYPE=... to override it.
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
buildDir="$top/build"
if [ "$#" -gt 0 ] && [ "${1#-}" = "$1" ]; then
  buildDir="$1"
  shift
fi

jobs="${TOLVANE_JOBS:-$(nproc 2>/dev/null || echo 2)}"

cmake -S "$top" -B "$buildDir" -G Ninja "$@"
cmake --build "$buildDir" --parallel "$jobs"
