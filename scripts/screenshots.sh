#!/usr/bin/env bash
# Renders the desktop program's windows under Xvfb, in English and German,
# into docs/screenshots/*.png. Build first (scripts/build.sh).
# Usage: scripts/screenshots.sh [BUILD_DIR]
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
buildDir="${1:-$top/build}"
renderer="$buildDir/tests/gui/tolvane-render-windows"
if [ ! -x "$renderer" ]; then
  echo "screenshots: $renderer not found; build with the GUI and the tests first" >&2
  exit 1
fi
if ! command -v xvfb-run >/dev/null 2>&1; then
  echo "screenshots: xvfb-run not found (Debian package xvfb)" >&2
  exit 1
fi
out="$top/docs/screenshots"
mkdir -p "$out"
# The sandboxed home lies in a temporary folder of its own, so that the
# folder tree shows nothing else of the renderer's around it.
scratch="$(mktemp -d /tmp/publisher.XXXXXX)"
trap 'rm -rf "$scratch"' EXIT
for language in en de; do
  QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" \
    env TMPDIR="$scratch" "$renderer" "$out" "$language" "$top/samples/sample-folder"
done
