#!/usr/bin/env bash
# Runs tolvane.exe FOLDER under Wine and Xvfb, as Explorer's "Monetize..."
# verb starts it, in English, German and Russian at 150%, and saves the save
# dialog, the progress window and the result box as
# docs/screenshots/windows-verb-{save,progress,result}-{en,de,ru-150}.png.
# Build tolvane.exe first (the MinGW-w64 build); needs wine, xvfb-run,
# xdotool and ImageMagick's import.
# Usage: scripts/windows-verb-screenshots.sh [BUILD_DIR]   (default build-win, as scripts/build-windows.sh makes it)
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=scripts/wine-screenshots.sh
source "$top/scripts/wine-screenshots.sh" windows-verb-screenshots "${1:-}" en:96 de:96 ru:144

# A folder large enough for the progress window to stay up for a while.
big="$scratch/Publisher files"
mkdir -p "$big"
for i in $(seq 1 60); do
  head -c 4000000 /dev/urandom >"$big/video-part-$i.bin"
done

# Types $1 into the focused save dialog's file name and saves.
answerSave() {
  xdotool key ctrl+a
  xdotool type --delay 20 "$1"
  xdotool key Return
}

saveTitle="$(texts "Save Monetized Archive As...")"
# The key is a typo that English shows corrected.
progressTitle="$(texts "Progrgess")"
[ "$language" = en ] && progressTitle=Progress

# The bundled sample: the save dialog and the result box.
(cd "$top" && wine "$program" 'samples\sample-folder') &
run=$!
waitFor "$saveTitle" 60 >/dev/null
sleep 2
import -window root "$out/windows-verb-save-$suffix.png"
answerSave "$(winePath "$scratch/sample-folder.zip")"
waitFor Tolvane 60 >/dev/null
sleep 1
import -window root "$out/windows-verb-result-$suffix.png"
xdotool search --name '^Tolvane$' windowfocus --sync key Return || xdotool key Return
wait $run || true

# The large folder: the progress window mid-job.
wine "$program" "$(winePath "$big")" &
run=$!
waitFor "$saveTitle" 60 >/dev/null
sleep 1
answerSave "$(winePath "$scratch/Publisher files.zip")"
waitFor "$progressTitle" 60 >/dev/null
sleep 1
import -window root "$out/windows-verb-progress-$suffix.png"
waitFor Tolvane 600 >/dev/null
xdotool search --name '^Tolvane$' windowfocus --sync key Return || xdotool key Return
wait $run || true
