#!/usr/bin/env bash
# Builds the Windows installer (data/installer/tolvane.nsi, NSIS) from the
# programs of a Windows build made by scripts/build-windows.sh: tolvane.exe,
# tolvane-cli.exe and transl.dat. Installs makensis first
# (scripts/install-deps.sh --windows). Prints the installer's path on the
# last line: BUILD_DIR/installer/tolvane-setup-VERSION.exe.
# Usage: scripts/build-installer.sh [BUILD_DIR]   (default: build-win)
# Check it under Wine with scripts/installer-check.sh BUILD_DIR.
set -euo pipefail
# A step that fails outside the checks still says which one it was.
trap 'echo "build-installer: FAILED at line $LINENO: $BASH_COMMAND" >&2' ERR

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
buildDir="$(realpath "${1:-$top/build-win}")"
programDir="$buildDir/src/win/program"
cliDir="$buildDir/src/cli"
for file in "$programDir/tolvane.exe" "$programDir/transl.dat" "$cliDir/tolvane-cli.exe"; do
  [ -f "$file" ] || { echo "build-installer: $file not found; run scripts/build-windows.sh first" >&2; exit 1; }
done

bash "$top/scripts/install-deps.sh" --windows >&2

# The version the build was configured with, from CMakeLists.txt's project().
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$buildDir/CMakeCache.txt")"
[ -n "$version" ] || { echo "build-installer: no project version in $buildDir/CMakeCache.txt" >&2; exit 1; }
sizeKb="$(du -ck "$programDir/tolvane.exe" "$programDir/transl.dat" "$cliDir/tolvane-cli.exe" | tail -n 1 | cut -f 1)"

outDir="$buildDir/installer"
setup="$outDir/tolvane-setup-$version.exe"
mkdir -p "$outDir"
rm -f "$outDir"/tolvane-setup-*.exe
# -WX: a warning (a missing file, an unknown instruction) fails the build.
makensis -V2 -WX -INPUTCHARSET UTF8 \
  -DVERSION="$version" -DPROGRAM_DIR="$programDir" -DCLI_DIR="$cliDir" \
  -DOUTFILE="$setup" -DSIZE_KB="$sizeKb" \
  "$top/data/installer/tolvane.nsi" >&2
[ -s "$setup" ] || { echo "build-installer: makensis wrote no $setup" >&2; exit 1; }
echo "$setup"
