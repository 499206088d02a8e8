#!/usr/bin/env bash
# Runs tolvane.exe's main window under Wine and Xvfb on the bundled sample
# folder and saves docs/screenshots/windows-main-{en,de}.png, the German one
# at 150% scaling too (windows-main-de-150.png), the Russian one at 100% and
# 150% (windows-main-ru.png, windows-main-ru-150.png), and the password
# prompt in English and German (windows-password-{en,de}.png). Build tolvane.exe first (the MinGW-w64
# build); needs wine, xvfb-run, xdotool and ImageMagick's import.
# Usage: scripts/windows-main-screenshots.sh [BUILD_DIR]   (default build-win, as scripts/build-windows.sh makes it)
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$top/scripts/wine-locale.sh"
buildDir="$(realpath "${1:-$top/build-win}")"
program="$buildDir/src/win/program/tolvane.exe"
[ -f "$program" ] || { echo "windows-main-screenshots: $program not found" >&2; exit 1; }
for tool in wine xvfb-run xdotool import; do
  command -v "$tool" >/dev/null || { echo "windows-main-screenshots: $tool not found" >&2; exit 1; }
done

# One X server a shot: 150% needs a larger screen.
if [ -z "${TOLVANE_SHOT:-}" ]; then
  TOLVANE_SHOT=en:96 xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$buildDir"
  TOLVANE_SHOT=de:96 xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$buildDir"
  TOLVANE_SHOT=de:144 xvfb-run -a -s "-screen 0 1920x1200x24" "$0" "$buildDir"
  TOLVANE_SHOT=ru:96 xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$buildDir"
  TOLVANE_SHOT=ru:144 xvfb-run -a -s "-screen 0 1920x1200x24" "$0" "$buildDir"
  echo "windows-main-screenshots: $top/docs/screenshots/windows-{main,password}-*.png"
  exit 0
fi
language="${TOLVANE_SHOT%%:*}" dpi="${TOLVANE_SHOT##*:}"
case $language in
  en) locale=en_US.UTF-8 ;;
  de) locale=de_DE.UTF-8 ;;
  ru) locale=ru_RU.UTF-8 ;;
esac
name="windows-main-$language"
[ "$dpi" = 96 ] || name="$name-$((dpi * 100 / 96))"

export WINEPREFIX="$buildDir/wine" WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
out="$top/docs/screenshots"
mkdir -p "$out"
setDpi() { wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1; }
trap 'wineserver -k || true; setDpi 96; wineserver -w || true' EXIT
wineserver -k || true
wineboot -i >/dev/null 2>&1
# Without a window manager Wine draws the title bars itself.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Tolvane' /v signedup /t REG_DWORD /d 1 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Tolvane' /v partnerid /d archiver5 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Tolvane' /v softwareid /d ARCHIVERx /f >/dev/null 2>&1
setDpi "$dpi"
wineserver -k || true # the DPI is read when Wine starts

waitFor() { # a visible window named $1, up to $2 seconds
  local i
  for ((i = 0; i < $2 * 4; ++i)); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 && return 0
    sleep 0.25
  done
  echo "windows-main-screenshots: no window \"$1\"" >&2
  return 1
}

UseLocale "$locale"
TOLVANE_TEST_SELECT_FOLDER="Z:$(echo "$top/samples/sample-folder" | tr / '\\')" \
  wine "$program" &
run=$!
waitFor Tolvane 60
sleep 2
# The screen is black around the window: cut to the window.
import -window root -trim +repage "$out/$name.png"
main="$(xdotool search --onlyvisible --name '^Tolvane$' | head -n 1)"
if [ "$language" != ru ] && [ "$dpi" = 96 ]; then
  # The password prompt by the button's mnemonic (P of "Password...", K of "Kennwort...").
  mnemonic=p
  [ "$language" = de ] && mnemonic=k
  xdotool windowfocus --sync "$main" key "alt+$mnemonic"
  sleep 2
  import -window root "$out/windows-password-$language.png"
  xdotool key Escape
  sleep 1
fi
xdotool windowfocus --sync "$main" key Escape
wait $run || true
