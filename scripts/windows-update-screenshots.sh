#!/usr/bin/env bash
# Runs tolvane.exe's start-up update check under Wine and Xvfb against an
# update server on loopback (scripts/update-test-server.py) and saves the
# question (docs/screenshots/windows-update-question-{en,de}.png) and the
# update window during the download (windows-update-{en,de}.png), each
# window on its own. Build tolvane.exe first (the MinGW-w64 build); needs
# wine, xvfb-run, xdotool and ImageMagick's import.
# Usage: scripts/windows-update-screenshots.sh [BUILD_DIR]   (default build-win, as scripts/build-windows.sh makes it)
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
buildDir="$(realpath "${1:-$top/build-win}")"
program="$buildDir/src/win/program/tolvane.exe"
[ -f "$program" ] || { echo "windows-update-screenshots: $program not found" >&2; exit 1; }
for tool in wine xvfb-run xdotool import python3; do
  command -v "$tool" >/dev/null || { echo "windows-update-screenshots: $tool not found" >&2; exit 1; }
done

# One X server a language.
if [ -z "${TOLVANE_SHOT:-}" ]; then
  TOLVANE_SHOT=en xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$buildDir"
  TOLVANE_SHOT=de xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$buildDir"
  echo "windows-update-screenshots: $top/docs/screenshots/windows-update-*.png"
  exit 0
fi
language="$TOLVANE_SHOT"
case $language in
  en) locale=en_US.UTF-8 question='Update Software' ;;
  de) locale=de_DE.UTF-8 question='Software aktualisieren' ;;
esac

export WINEPREFIX="$buildDir/wine" WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
out="$top/docs/screenshots"
mkdir -p "$out"
scratch="$(mktemp -d /tmp/tolvane-update-shots.XXXXXX)"
server=
trap '[ -z "$server" ] || kill "$server" 2>/dev/null || true; wineserver -k || true; rm -rf "$scratch"' EXIT
wineserver -k || true
wineboot -i >/dev/null 2>&1
# Without a window manager Wine draws the title bars itself.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Tolvane' /v signedup /t REG_DWORD /d 1 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Tolvane' /v partnerid /d archiver5 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Tolvane' /v softwareid /d ARCHIVERx /f >/dev/null 2>&1

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

waitFor() { # a visible window named $1 other than $3, up to $2 seconds; prints its id
  local i id
  for ((i = 0; i < $2 * 4; ++i)); do
    id="$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | grep -vx "${3:-none}" | head -n 1)"
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.25
  done
  echo "windows-update-screenshots: no window \"$1\"" >&2
  return 1
}

# Wine takes the interface language from the locale variables.
LANG=$locale LC_ALL=$locale TOLVANE_UPDATE_HOST="127.0.0.1:$(cat "$scratch/port")" \
  timeout 120 wine "$program" &
run=$!
box="$(waitFor "$question" 60)"
sleep 1
import -window "$box" "$out/windows-update-question-$language.png"
xdotool windowfocus --sync "$box" key Return
# The update window: the same name, once the box has gone.
window="$(waitFor "$question" 10 "$box")"
sleep 2
import -window "$window" "$out/windows-update-$language.png"
# Abort; the main window follows and Escape closes it.
xdotool windowfocus --sync "$window" key Escape
main="$(waitFor Tolvane 30)"
sleep 1
xdotool windowfocus --sync "$main" key Escape
wait $run || true
