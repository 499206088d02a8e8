#!/usr/bin/env bash
# Runs tolvane.exe's start-up update check under Wine and Xvfb against an
# update server on loopback (scripts/update-test-server.py) and saves the
# question (docs/screenshots/windows-update-question-{en,de,ru-150}.png) and
# the update window during the download (windows-update-{en,de,ru-150}.png),
# each window on its own. Build tolvane.exe first (the MinGW-w64 build); needs
# wine, xvfb-run, xdotool and ImageMagick's import.
# Usage: scripts/windows-update-screenshots.sh [BUILD_DIR]   (default build-win, as scripts/build-windows.sh makes it)
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=scripts/wine-screenshots.sh
source "$top/scripts/wine-screenshots.sh" windows-update-screenshots "${1:-}" en:96 de:96 ru:144
question="$(texts 'Update Software')"
server=
shotCleanup='[ -z "$server" ] || kill "$server" 2>/dev/null || true'

# A download slow enough to be seen at a third of its way.
www="$scratch/www"
mkdir -p "$www/files"
head -c 3000000 /dev/zero >"$www/files/tolvane-setup.exe"
printf '%s\r\n' '<META NAME="upProduct" CONTENT="Tolvane">' \
  '<META NAME="upVersion" CONTENT="1.1">' \
  '<META NAME="upDownload" CONTENT="/files/tolvane-setup.exe">' \
  '<META NAME="upClientSideName" CONTENT="tolvane-setup.exe">' >"$www/update.html"
python3 "$top/scripts/update-test-server.py" "$www" "$scratch/port" "$scratch/requests.log" 4 120 &
server=$!
for _ in $(seq 50); do [ -s "$scratch/port" ] && break; sleep 0.1; done

TOLVANE_UPDATE_HOST="127.0.0.1:$(cat "$scratch/port")" \
  timeout 120 wine "$program" &
run=$!
box="$(waitFor "$question" 60)"
sleep 1
import -window "$box" "$out/windows-update-question-$suffix.png"
xdotool windowfocus --sync "$box" key Return
# The update window: the same name, once the box has gone.
window="$(waitFor "$question" 10 "$box")"
sleep 2
import -window "$window" "$out/windows-update-$suffix.png"
# Abort; the main window follows and Escape closes it.
xdotool windowfocus --sync "$window" key Escape
main="$(waitFor Tolvane 30)"
sleep 1
xdotool windowfocus --sync "$main" key Escape
wait $run || true
