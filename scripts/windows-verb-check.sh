#!/usr/bin/env bash
# Checks tolvane.exe FOLDER under Wine and Xvfb without a user: the save
# dialog is answered beforehand through TOLVANE_TEST_SAVE_PATH (a path, or
# "-" for Cancel; for tests only). A cancelled dialog ends with status 0 and
# writes nothing; "Abort" in the progress window ends with status 3 and
# leaves an existing ZIP byte for byte as it was; a whole job on the sample
# ends with status 0 and a ZIP of its two entries that unzip accepts.
# Usage: scripts/windows-verb-check.sh [BUILD_DIR]   (default build-win, as scripts/build-windows.sh makes it)
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=scripts/wine-window-check.sh
source "$top/scripts/wine-window-check.sh" windows-verb-check "$@"

mkdir -p "$scratch/big"
for i in $(seq 1 40); do head -c 4000000 /dev/urandom >"$scratch/big/part-$i.bin"; done

status=0
TOLVANE_TEST_SAVE_PATH=- timeout 120 wine "$program" "$(winePath "$scratch/big")" || status=$?
check "cancelled save dialog: status" 0 "$status"
check "cancelled save dialog: no ZIP" 0 "$(find "$scratch" -name '*.zip' | wc -l)"

# An empty ZIP (its end record alone) that the aborted job must not touch.
zip="$scratch/out.zip"
printf 'PK\x05\x06\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0' >"$zip"
before="$(sha256sum <"$zip")"
status=0
TOLVANE_TEST_SAVE_PATH="$(winePath "$zip")" timeout 300 wine "$program" "$(winePath "$scratch/big")" &
run=$!
for _ in $(seq 1 240); do
  xdotool search --name '^Progress$' >/dev/null 2>&1 && break
  sleep 0.25
done
ids="$top/src/win/program/ProgressFormIds.h"
# Abort is IDCANCEL (2).
check "progress window: its controls" \
  "2 $(headerControls "$ids" IDC_Progress_Label1 IDC_Progress_Label2 IDC_Progress_ProgressBar1 \
    IDC_Progress_Label3 IDC_Progress_ProgressBar2 IDC_Progress_FileLabel)" "$(windowControls Progress)"
# Escape is the window's Abort; a key that came before the window took the
# focus is lost, so it is pressed again while the window stays up.
while kill -0 "$run" 2>/dev/null && xdotool search --name '^Progress$' >/dev/null 2>&1; do
  xdotool search --name '^Progress$' windowfocus --sync key Escape >/dev/null 2>&1 || true
  sleep 0.5
done
wait $run || status=$?
check "abort: status" 3 "$status"
check "abort: ZIP unchanged" "$before" "$(sha256sum <"$zip")"
# A whole job on the sample: the result box is closed as a user would, and
# the ZIP it wrote is one the Linux readers accept.
done="$scratch/done.zip"
status=0
TOLVANE_TEST_SAVE_PATH="$(winePath "$done")" timeout 120 wine "$program" \
  "$(winePath "$top/samples/sample-folder")" &
run=$!
for _ in $(seq 1 240); do
  xdotool search --onlyvisible --name '^Tolvane$' >/dev/null 2>&1 && break
  sleep 0.25
done
sleep 0.5
xdotool search --onlyvisible --name '^Tolvane$' windowfocus --sync key Return
wait $run || status=$?
check "whole job: status" 0 "$status"
check "whole job: unzip -t" 0 "$(unzip -tq "$done" >/dev/null 2>&1; echo $?)"
check "whole job: entries" 2 "$(unzip -Z1 "$done" 2>/dev/null | wc -l)"
[ "$failures" = 0 ]
