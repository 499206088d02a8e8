#!/usr/bin/env bash
# Draws tolvane.exe's icon, src/win/program/tolvane.ico, from the program's
# logo (src/gui/logo.svg) at 16, 20, 24, 32, 48 and 256 pixels: the small
# and large icon sizes at 100% to 200% scaling, and Explorer's largest view.
# Needs rsvg-convert (librsvg2-bin) and ImageMagick's convert (imagemagick),
# which scripts/install-deps.sh --windows installs. The icon is kept in the
# tree; run this again when the logo changes.
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
scratch="$(mktemp -d /tmp/tolvane-icon.XXXXXX)"
trap 'rm -rf "$scratch"' EXIT
images=()
for size in 16 20 24 32 48 256; do
  rsvg-convert -w "$size" -h "$size" -o "$scratch/$size.png" "$top/src/gui/logo.svg"
  images+=("$scratch/$size.png")
done
# ImageMagick's own convert, whatever else is first on the PATH.
/usr/bin/convert "${images[@]}" "$top/src/win/program/tolvane.ico"
/usr/bin/identify "$top/src/win/program/tolvane.ico"
