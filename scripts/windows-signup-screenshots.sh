#!/usr/bin/env bash
# Runs tolvane.exe under Wine and Xvfb and saves its sign-up and About windows
# in English, German and Russian: docs/screenshots/windows-welcome-{en,de,ru}.png
# (the sign-up page on fresh settings), windows-ids-{en,de,ru}.png (the IDs
# page, as the start shows it to a user signed up without IDs),
# windows-about-{en,de,ru}.png (Help > About... over the main window), and the
# sign-up page at 150% scaling (windows-welcome-{de,ru}-150.png). Build
# tolvane.exe first (the MinGW-w64
# build); needs wine, xvfb-run, xdotool and ImageMagick's import.
# Usage: scripts/windows-signup-screenshots.sh [BUILD_DIR]   (default build-win, as scripts/build-windows.sh makes it)
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=scripts/wine-screenshots.sh
source "$top/scripts/wine-screenshots.sh" windows-signup-screenshots "${1:-}" en:96 de:96 de:144 ru:96 ru:144
welcome="$(texts 'Welcome!')"
about="$(texts 'About...')"
start() { wine "$program" & run=$!; }

# The sign-up page on fresh settings.
settings 0
start
waitFor "$welcome" 60 >/dev/null
sleep 2
shoot "$welcome" "windows-welcome-$suffix.png"
xdotool search --onlyvisible --name "^$welcome\$" windowfocus --sync key Escape
wait $run || true
[ "$dpi" = 96 ] || exit 0

# The IDs page: signed up, the IDs not yet there.
settings 1 '' ''
start
waitFor "$welcome" 60 >/dev/null
sleep 2
shoot "$welcome" "windows-ids-$suffix.png"
xdotool search --onlyvisible --name "^$welcome\$" windowfocus --sync key Escape
wait $run || true

# Help > About... (the Help menu's last item) over the main window.
settings 1 archiver5 ARCHIVERx
start
main="$(waitFor Tolvane 60)"
sleep 1
# The Help menu by its mnemonic: H of "Help" and "Hilfe", С of "Справка".
helpKey=alt+h
[ "$language" = ru ] && helpKey=alt+Cyrillic_es
xdotool windowfocus --sync "$main" key "$helpKey"
sleep 0.5
xdotool key Up Return
waitFor "$about" 20 >/dev/null
sleep 1
shoot "$about" "windows-about-$suffix.png"
xdotool search --onlyvisible --name "^$about\$" windowfocus --sync key Escape
sleep 0.5
xdotool windowfocus --sync "$main" key Escape
wait $run || true
