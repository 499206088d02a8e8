#!/usr/bin/env bash
# Checks tolvane.exe's main window under Wine and Xvfb without a user: the
# folder is selected at the start through TOLVANE_TEST_SELECT_FOLDER (as a
# click in the tree would) and the save dialog answered through
# TOLVANE_TEST_SAVE_PATH (both for tests only). Return is "Monetize!": the job
# runs to the result box, and the ZIP it wrote is one that unzip and 7z
# accept; a password typed into the prompts encrypts the ZIP; closing the window during a job stops the job, leaves an existing
# ZIP as it was, and ends the program once the job has ended; Escape closes
# the window. The main window and the password prompts have the controls
# their identifiers name.
# Usage: scripts/windows-main-check.sh [BUILD_DIR]   (default build-win, as scripts/build-windows.sh makes it)
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=scripts/wine-window-check.sh
source "$top/scripts/wine-window-check.sh" windows-main-check "$@"
# The main window: the first window named Tolvane, the result box the second.
mainWindow() { firstWindow Tolvane; }

cp -r "$top/samples/sample-folder" "$scratch/Sample files"

# A whole job through the window.
done="$scratch/done.zip"
status=0
TOLVANE_TEST_SELECT_FOLDER="$(winePath "$scratch/Sample files")" \
  TOLVANE_TEST_SAVE_PATH="$(winePath "$done")" timeout 180 wine "$program" &
run=$!
shown=no
waitFor Tolvane 60 && shown=yes
check "main window shown" yes "$shown"
sleep 1
ids="$top/src/win/program/TolvaneFormIds.h"
check "main window: its controls" \
  "$(headerControls "$ids" IDC_Panel1 IDC_ShellTreeView1 IDC_ShellListView1 IDC_btnPassword \
    IDC_BitBtn1 IDC_btnOK IDC_btnClose)" "$(windowControls Tolvane)"
main="$(mainWindow)"
xdotool windowfocus --sync "$main" key Return
resultBox=no
waitFor Tolvane 60 2 && resultBox=yes
check "result box after Return" yes "$resultBox"
sleep 0.5
# The box has the focus: Return is its OK. The window stays until Escape.
xdotool key Return
sleep 1
check "main window stays after the result" yes "$(kill -0 "$run" 2>/dev/null && echo yes || echo no)"
xdotool windowfocus --sync "$main" key Escape
wait $run || status=$?
check "whole job: status" 0 "$status"
check "whole job: unzip -t" 0 "$(unzip -tq "$done" >/dev/null 2>&1; echo $?)"
check "whole job: 7z t" 0 "$(7z t "$done" >/dev/null 2>&1; echo $?)"
check "whole job: entries" 2 "$(unzip -Z1 "$done" 2>/dev/null | wc -l)"
# The selected folder is the one packed: its file names are in the archive's headers.
check "whole job: the selected folder packed" yes \
  "$(unzip -p "$done" done.bh 2>/dev/null | strings | grep -q 'chapters/01-the-harbour.txt' && echo yes || echo no)"

# "Password..." by its mnemonic, the password typed twice: the ZIP is
# encrypted with it.
secret="$scratch/secret.zip"
status=0
TOLVANE_TEST_SELECT_FOLDER="$(winePath "$scratch/Sample files")" \
  TOLVANE_TEST_SAVE_PATH="$(winePath "$secret")" timeout 180 wine "$program" &
run=$!
waitFor Tolvane 60 || true
sleep 1
main="$(mainWindow)"
xdotool windowfocus --sync "$main" key alt+p
for prompt in 'Security Encryption...' 'Verify Password...'; do
  asked=no
  waitFor "$prompt" 30 && asked=yes
  check "password prompt \"$prompt\"" yes "$asked"
  sleep 0.5
  # OK and Cancel are IDOK and IDCANCEL.
  check "password prompt \"$prompt\": its controls" \
    "1 2 $(headerControls "$ids" IDC_PasswordPrompt IDC_PasswordEdit IDC_ShowCharacters)" \
    "$(windowControls "$prompt")"
  xdotool search --onlyvisible --name "^$prompt\$" windowfocus --sync type --delay 30 's3cret-Pw'
  xdotool key Return
  sleep 0.5
done
xdotool windowfocus --sync "$main" key Return
waitFor Tolvane 60 2 || true
sleep 0.5
xdotool key Return
sleep 1
xdotool windowfocus --sync "$main" key Escape
wait $run || status=$?
check "password: status" 0 "$status"
check "password: unzip -t with it" 0 "$(unzip -tq -P 's3cret-Pw' "$secret" >/dev/null 2>&1; echo $?)"
check "password: unzip -t without it fails" yes \
  "$(unzip -tq -P wrong "$secret" >/dev/null 2>&1 && echo no || echo yes)"

# Keyboard: the tree has the focus at the start, Tab goes to "Password...",
# Return presses it; Escape cancels the prompt, then closes the window.
status=0
timeout 120 wine "$program" &
run=$!
waitFor Tolvane 60 || true
sleep 1
main="$(mainWindow)"
xdotool windowfocus --sync "$main" key Tab Return
asked=no
waitFor 'Security Encryption...' 30 && asked=yes
check "Tab from the tree, Return: the password prompt" yes "$asked"
xdotool search --onlyvisible --name '^Security Encryption...$' windowfocus --sync key Escape
sleep 1
xdotool windowfocus --sync "$main" key Escape
wait $run || status=$?
check "Escape closes the window: status" 0 "$status"

# Without a folder chosen (the last one gone) Return monetizes nothing: the
# tree's own selection of its first drive is no choice.
wine reg add 'HKCU\Software\Tolvane' /v lastfolder /d 'Z:/nonexistent/folder' /f >/dev/null 2>&1
nothing="$scratch/nothing.zip"
status=0
TOLVANE_TEST_SAVE_PATH="$(winePath "$nothing")" timeout 120 wine "$program" &
run=$!
waitFor Tolvane 60 || true
sleep 1
main="$(mainWindow)"
xdotool windowfocus --sync "$main" key Return
sleep 3
check "no folder chosen: no second window" 1 "$(xdotool search --onlyvisible --name '^Tolvane$' 2>/dev/null | wc -l)"
xdotool windowfocus --sync "$main" key Escape
wait $run || status=$?
check "no folder chosen: status" 0 "$status"
check "no folder chosen: no ZIP" no "$([ -e "$nothing" ] && echo yes || echo no)"

# Closing the window mid-job: the job is stopped, the ZIP left untouched,
# and the program ends once the job has.
mkdir -p "$scratch/big"
for i in $(seq 1 40); do head -c 4000000 /dev/urandom >"$scratch/big/part-$i.bin"; done
zip="$scratch/out.zip"
printf 'PK\x05\x06\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0' >"$zip"
before="$(sha256sum <"$zip")"
status=0
TOLVANE_TEST_SELECT_FOLDER="$(winePath "$scratch/big")" \
  TOLVANE_TEST_SAVE_PATH="$(winePath "$zip")" timeout 300 wine "$program" &
run=$!
waitFor Tolvane 60 || true
sleep 1
main="$(mainWindow)"
xdotool windowfocus --sync "$main" key Return
progress=no
waitFor Progress 60 && progress=yes
check "progress window after Return" yes "$progress"
# Alt+F4 on the main window is its close; pressed again while the job runs,
# since a key before the window had the focus is lost.
while kill -0 "$run" 2>/dev/null && xdotool search --name '^Progress$' >/dev/null 2>&1; do
  xdotool windowfocus --sync "$main" key alt+F4 >/dev/null 2>&1 || true
  sleep 0.5
done
wait $run || status=$?
check "closed mid-job: status" 0 "$status"
check "closed mid-job: ZIP unchanged" "$before" "$(sha256sum <"$zip")"
check "closed mid-job: no result box" 0 "$(xdotool search --onlyvisible --name '^Tolvane$' 2>/dev/null | wc -l)"
[ "$failures" = 0 ]
