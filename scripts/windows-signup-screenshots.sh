#!/usr/bin/env bash
# Runs tolvane.exe under Wine and Xvfb and saves its sign-up and About windows
# in English and German: docs/screenshots/windows-welcome-{en,de}.png (the
# sign-up page on fresh settings), windows-ids-{en,de}.png (the IDs page, as
# the start shows it to a user signed up without IDs), windows-about-{en,de}.png
# (Help > About... over the main window), and the German sign-up page at 150%
# scaling (windows-welcome-de-150.png). Build tolvane.exe first (the MinGW-w64
# build); needs wine, xvfb-run, xdotool and ImageMagick's import.
# Usage: scripts/windows-signup-screenshots.sh [BUILD_DIR]   (default build-win, as scripts/build-windows.sh makes it)
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
buildDir="$(realpath "${1:-$top/build-win}")"
program="$buildDir/src/win/program/tolvane.exe"
[ -f "$program" ] || { echo "windows-signup-screenshots: $program not found" >&2; exit 1; }
for tool in wine xvfb-run xdotool import; do
  command -v "$tool" >/dev/null || { echo "windows-signup-screenshots: $tool not found" >&2; exit 1; }
done

# One X server a language and scaling: 150% needs a larger screen.
if [ -z "${TOLVANE_SHOT:-}" ]; then
  TOLVANE_SHOT=en:96 xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$buildDir"
  TOLVANE_SHOT=de:96 xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$buildDir"
  TOLVANE_SHOT=de:144 xvfb-run -a -s "-screen 0 1920x1200x24" "$0" "$buildDir"
  echo "windows-signup-screenshots: $top/docs/screenshots/windows-{welcome,ids,about}-*.png"
  exit 0
fi
language="${TOLVANE_SHOT%%:*}" dpi="${TOLVANE_SHOT##*:}"
case $language in
  en) locale=en_US.UTF-8 welcome='Welcome!' about='About...' ;;
  de) locale=de_DE.UTF-8 welcome='Willkommen!' about='Info...' ;;
esac
suffix="$language"
[ "$dpi" = 96 ] || suffix="$language-$((dpi * 100 / 96))"

export WINEPREFIX="$buildDir/wine" WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
out="$top/docs/screenshots"
mkdir -p "$out"
setDpi() { wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1; }
settings() { # signedup partnerid softwareid
  wine reg delete 'HKCU\Software\Tolvane' /f >/dev/null 2>&1 || true
  [ "$1" = 0 ] && return 0
  wine reg add 'HKCU\Software\Tolvane' /v signedup /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Tolvane' /v partnerid /d "$2" /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Tolvane' /v softwareid /d "$3" /f >/dev/null 2>&1
}
# The other checks expect a signed-up user with IDs in the build's prefix.
trap 'wineserver -k || true; settings 1 archiver5 ARCHIVERx; setDpi 96; wineserver -w || true' EXIT
wineserver -k || true
wineboot -i >/dev/null 2>&1
# Without a window manager Wine draws the title bars itself.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
setDpi "$dpi"
wineserver -k || true # the DPI is read when Wine starts

waitFor() { # a visible window named $1, up to $2 seconds
  local i
  for ((i = 0; i < $2 * 4; ++i)); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 && return 0
    sleep 0.25
  done
  echo "windows-signup-screenshots: no window \"$1\"" >&2
  return 1
}
# Saves the screen round the window named $1 (a margin of 24 pixels) as $2.
shoot() {
  local window x y w h
  window="$(xdotool search --onlyvisible --name "^$1\$" | head -n 1)"
  eval "$(xdotool getwindowgeometry --shell "$window")"
  x=$((X - 24)) y=$((Y - 24)) w=$((WIDTH + 48)) h=$((HEIGHT + 48))
  [ "$x" -ge 0 ] || x=0
  [ "$y" -ge 0 ] || y=0
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$2"
}
# Wine takes the interface language from the locale variables.
start() { LANG=$locale LC_ALL=$locale wine "$program" & run=$!; }

# The sign-up page on fresh settings.
settings 0
start
waitFor "$welcome" 60
sleep 2
shoot "$welcome" "windows-welcome-$suffix.png"
xdotool search --onlyvisible --name "^$welcome\$" windowfocus --sync key Escape
wait $run || true
[ "$dpi" = 96 ] || exit 0

# The IDs page: signed up, the IDs not yet there.
settings 1 '' ''
start
waitFor "$welcome" 60
sleep 2
shoot "$welcome" "windows-ids-$suffix.png"
xdotool search --onlyvisible --name "^$welcome\$" windowfocus --sync key Escape
wait $run || true

# Help > About... (the Help menu's last item) over the main window.
settings 1 archiver5 ARCHIVERx
start
waitFor Tolvane 60
sleep 1
main="$(xdotool search --onlyvisible --name '^Tolvane$' | head -n 1)"
xdotool windowfocus --sync "$main" key alt+h Up Return
waitFor "$about" 20
sleep 1
shoot "$about" "windows-about-$suffix.png"
xdotool search --onlyvisible --name "^$about\$" windowfocus --sync key Escape
sleep 0.5
xdotool windowfocus --sync "$main" key Escape
wait $run || true
