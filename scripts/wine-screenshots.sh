# shellcheck shell=bash
# Sourced by the screenshot scripts of tolvane.exe's windows
# (windows-{verb,main,signup,update}-screenshots.sh). Checks the build's
# tolvane.exe and the tools, runs the script again in an Xvfb of its own for
# each shot named after the build directory ("LANGUAGE:DPI", a larger screen
# above 96 DPI) and, in that run, sets up the shot: its language, a locale
# made for it (Wine takes the interface language from the locale, and reads
# "Grüße.txt" in its charset), the build's Wine prefix at the shot's DPI,
# without a window manager, with a signed-up user, and the helpers below.
# Usage: source "$top/scripts/wine-screenshots.sh" NAME BUILD_DIR SHOT...
# Sets program, out (docs/screenshots), scratch (removed at the end),
# language (en, de, ru), column (its column in transl.dat), dpi and suffix
# ("de", "de-150"); runs $shotCleanup, if set, at the end.
shotName="$1"
buildDir="$(realpath "${2:-$top/build-win}")"
shift 2 || shift $#
program="$buildDir/src/win/program/tolvane.exe"
[ -f "$program" ] || { echo "$shotName: $program not found" >&2; exit 1; }
for tool in wine xvfb-run xdotool import python3 localedef; do
  command -v "$tool" >/dev/null || { echo "$shotName: $tool not found" >&2; exit 1; }
done
out="$top/docs/screenshots"

if [ -z "${TOLVANE_SHOT:-}" ]; then
  for shot; do
    screen=1280x800x24
    [ "${shot##*:}" = 96 ] || screen=1920x1200x24
    TOLVANE_SHOT=$shot xvfb-run -a -s "-screen 0 $screen" "$0" "$buildDir"
  done
  echo "$shotName: the pictures are in $out"
  exit 0
fi
language="${TOLVANE_SHOT%%:*}" dpi="${TOLVANE_SHOT##*:}"
case $language in
  en) locale=en_US.UTF-8 column=0 ;;
  de) locale=de_DE.UTF-8 column=3 ;;
  ru) locale=ru_RU.UTF-8 column=4 ;;
  *) echo "$shotName: no language \"$language\"" >&2; exit 1 ;;
esac
suffix="$language"
[ "$dpi" = 96 ] || suffix="$language-$((dpi * 100 / 96))"
if ! locale -a 2>/dev/null | grep -qix "${locale%.UTF-8}.utf8"; then
  localedef -i "${locale%.UTF-8}" -f UTF-8 "$locale" || {
    echo "$shotName: cannot make the locale $locale (run as root, with the locales package)" >&2
    exit 1
  }
fi
export LANG=$locale LC_ALL=$locale
export WINEPREFIX="$buildDir/wine" WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
mkdir -p "$out"
scratch="$(mktemp -d "/tmp/tolvane-$shotName.XXXXXX")"

setDpi() { wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1; }
settings() { # signedup partnerid softwareid; 0 alone: fresh settings
  wine reg delete 'HKCU\Software\Tolvane' /f >/dev/null 2>&1 || true
  [ "$1" = 0 ] && return 0
  wine reg add 'HKCU\Software\Tolvane' /v signedup /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Tolvane' /v partnerid /d "$2" /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Tolvane' /v softwareid /d "$3" /f >/dev/null 2>&1
}
winePath() { echo "Z:$(echo "$1" | tr / '\\')"; }
# The build's prefix is left as the checks expect it: a signed-up user with
# IDs, at 96 DPI.
trap 'eval "${shotCleanup:-}"; wineserver -k || true; settings 1 archiver5 ARCHIVERx; setDpi 96;
  wineserver -w || true; rm -rf "$scratch"' EXIT
wineserver -k || true
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
settings 1 archiver5 ARCHIVERx
setDpi "$dpi"
wineserver -k || true # the DPI is read when Wine starts

# Waits up to $2 seconds for a visible window named $1 other than the
# window $3, and prints its id.
waitFor() {
  local i id
  for ((i = 0; i < $2 * 4; ++i)); do
    id="$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | grep -vx "${3:-none}" | head -n 1 || true)"
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.25
  done
  echo "$shotName: no window \"$1\"" >&2
  return 1
}
# Saves the screen round the window named $1 (a margin of 24 pixels) as $2.
shoot() {
  local window X Y WIDTH HEIGHT x y
  window="$(xdotool search --onlyvisible --name "^$1\$" | head -n 1)"
  eval "$(xdotool getwindowgeometry --shell "$window")"
  x=$((X - 24)) y=$((Y - 24))
  [ "$x" -ge 0 ] || x=0
  [ "$y" -ge 0 ] || y=0
  import -window root -crop "$((WIDTH + 48))x$((HEIGHT + 48))+$x+$y" +repage "$out/$2"
}
# The text of transl.dat's row whose English is $1, in the shot's language.
texts() {
  python3 - "$1" "$column" "$top/data/transl.dat" <<'PY'
import sys
key, column, path = sys.argv[1], int(sys.argv[2]), sys.argv[3]
lines = open(path, encoding="utf-8").read().split("\n")
n = int(lines[0])
for start in range(1, len(lines) - n + 1, n):
    if lines[start] == key:
        print(lines[start + column] or key)
        break
else:
    print(key)
PY
}
