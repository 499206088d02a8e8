#!/usr/bin/env bash
# Checks tolvane.exe's start-up update check under Wine and Xvfb against an
# update server on loopback (scripts/update-test-server.py) that offers a
# newer version and an installer (a .cmd that leaves a mark of its start):
# the question appears; No goes on to the main window without a download;
# Yes shows the update window with the download, starts the downloaded
# installer with the page's parameters and ends the program; Escape in the
# update window aborts the download, leaves no file and goes on to the main
# window.
# Usage: scripts/windows-update-check.sh [BUILD_DIR]   (default build-win, as scripts/build-windows.sh makes it)
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=scripts/wine-window-check.sh
source "$top/scripts/wine-window-check.sh" windows-update-check "$@"
shown() { waitFor "$1" "$2" && echo yes || echo no; }
visibleNow() { xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 && echo yes || echo no; }
# Answers the question with key $1 (pressed again if the box is still
# there after two seconds: a key before the box takes input is lost); then
# waits up to 10 s for another visible window of the same name, the update
# window, and prints its id (nothing when none came).
answer() {
  local box i id
  box="$(firstWindow 'Update Software')"
  for _ in 1 2; do
    xdotool windowfocus --sync "$box" key "$1" 2>/dev/null || true
    for ((i = 0; i < 8; ++i)); do
      xdotool search --onlyvisible --name '^Update Software$' 2>/dev/null | grep -qx "$box" || break 2
      sleep 0.25
    done
  done
  [ "$1" = Return ] || return 0
  for ((i = 0; i < 40; ++i)); do
    id="$(xdotool search --onlyvisible --name '^Update Software$' 2>/dev/null | grep -vx "$box" | head -n 1)"
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.25
  done
}
# Waits up to 10 s for the installer's request to reach the server.
requested() {
  for _ in $(seq 40); do [ "$(installerRequests)" -ge 1 ] && { echo yes; return; }; sleep 0.25; done
  echo no
}

# The page offers a version far ahead; the installer is a script of 2 MiB
# (its padding after "exit"), sent at 1 MiB a second.
www="$scratch/www"
mark="$scratch/installer-started.txt"
mkdir -p "$www/files"
{
  printf '@echo off\r\necho started %%*> "%s"\r\nexit /b 0\r\n' "$(winePath "$mark")"
  for _ in $(seq 1 20000); do printf 'rem %0100d\r\n' 0; done
} >"$www/files/tolvane-setup.cmd"
printf '%s\r\n' '<html><head>' \
  '<META NAME="upProduct" CONTENT="Tolvane">' \
  '<META NAME="upVersion" CONTENT="99.0">' \
  '<META NAME="upDownload" CONTENT="/files/tolvane-setup.cmd">' \
  '<META NAME="upClientSideName" CONTENT="tolvane-setup.cmd">' \
  '<META NAME="upRunParameters" CONTENT="/S">' \
  '</head></html>' >"$www/update.html"
python3 "$top/scripts/update-test-server.py" "$www" "$scratch/port" "$scratch/requests.log" 1 120 &
server=$!
trap 'kill "$server" 2>/dev/null || true; rm -rf "$scratch"' EXIT
for _ in $(seq 50); do [ -s "$scratch/port" ] && break; sleep 0.1; done
export TOLVANE_UPDATE_HOST="127.0.0.1:$(cat "$scratch/port")"
downloaded="$(wine cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')\\tolvane-setup.cmd"
downloadedUnix="$(winepath -u "$downloaded" 2>/dev/null)"
installerRequests() { grep -c 'GET /files/tolvane-setup.cmd' "$scratch/requests.log" 2>/dev/null || true; }
: >"$scratch/requests.log"

# No: the main window follows, nothing is downloaded.
status=0
timeout 60 wine "$program" &
run=$!
check "No: the question" yes "$(shown 'Update Software' 30)"
sleep 0.5
answer n
check "No: the main window follows" yes "$(shown Tolvane 30)"
check "No: the installer was not requested" 0 "$(installerRequests)"
xdotool windowfocus --sync "$(firstWindow Tolvane)" key Escape
wait $run || status=$?
check "No: status" 0 "$status"

# Yes, then Escape in the update window while it downloads: the download
# stops, no file is left, the main window follows.
status=0
timeout 60 wine "$program" &
run=$!
check "Abort: the question" yes "$(shown 'Update Software' 30)"
sleep 0.5
window="$(answer Return)"
check "Abort: the update window after Yes" yes "$([ -n "$window" ] && echo yes || echo no)"
check "Abort: the installer requested" yes "$(requested)"
check "Abort: the update window's controls" \
  "$(headerControls "$top/src/win/program/UpdaterFormIds.h" IDC_Updater_lblInfo \
    IDC_Updater_ProgressBar1 IDC_Updater_CancelBtn)" "$(windowControls 'Update Software')"
xdotool windowfocus --sync "$window" key Escape
check "Abort: the main window follows" yes "$(shown Tolvane 30)"
check "Abort: the update window is gone" no "$(visibleNow 'Update Software')"
check "Abort: no file left" no "$([ -e "$downloadedUnix" ] && echo yes || echo no)"
xdotool windowfocus --sync "$(firstWindow Tolvane)" key Escape
wait $run || status=$?
check "Abort: status" 0 "$status"
check "Abort: the installer was not started" no "$([ -e "$mark" ] && echo yes || echo no)"

# Yes: the window shows the download, the installer starts with the page's
# parameters and the program ends without its main window.
status=0
timeout 60 wine "$program" &
run=$!
check "Yes: the question" yes "$(shown 'Update Software' 30)"
sleep 0.5
window="$(answer Return)"
check "Yes: the update window during the download" yes "$([ -n "$window" ] && echo yes || echo no)"
wait $run || status=$?
check "Yes: status" 0 "$status"
for _ in $(seq 40); do [ -s "$mark" ] && break; sleep 0.25; done
check "Yes: the installer started with its parameters" "started /S" "$(tr -d '\r' <"$mark" 2>/dev/null | sed 's/ *$//')"
check "Yes: the downloaded installer is whole" \
  "$(sha256sum <"$www/files/tolvane-setup.cmd")" "$(sha256sum <"$downloadedUnix" 2>/dev/null)"
check "Yes: no main window" 0 "$(xdotool search --onlyvisible --name '^Tolvane$' 2>/dev/null | wc -l)"
rm -f "$downloadedUnix"
[ "$failures" = 0 ]
