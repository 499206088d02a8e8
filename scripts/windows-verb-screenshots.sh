#!/usr/bin/env bash
# Runs tolvane.exe FOLDER under Wine and Xvfb, as Explorer's "Monetize..."
# verb starts it, in English and German, and saves the save dialog, the
# progress window and the result box as
# docs/screenshots/windows-verb-{save,progress,result}-{en,de}.png.
# Build tolvane.exe first (the MinGW-w64 build); needs wine, xvfb-run,
# xdotool and ImageMagick's import.
# Usage: scripts/windows-verb-screenshots.sh [BUILD_DIR]   (default build-win, as scripts/build-windows.sh makes it)
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$top/scripts/wine-locale.sh"
buildDir="$(realpath "${1:-$top/build-win}")"
program="$(find "$buildDir" -name tolvane.exe -path '*win*' | head -n 1)"
if [ -z "$program" ]; then
  echo "windows-verb-screenshots: no tolvane.exe under $buildDir" >&2
  exit 1
fi
for tool in wine xvfb-run xdotool import; do
  command -v "$tool" >/dev/null || { echo "windows-verb-screenshots: $tool not found" >&2; exit 1; }
done

if [ -z "${TOLVANE_SHOTS_INNER:-}" ]; then
  export TOLVANE_SHOTS_INNER=1
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$buildDir"
fi

export WINEPREFIX="$buildDir/wine" WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
out="$top/docs/screenshots"
scratch="$(mktemp -d /tmp/tolvane-verb-shots.XXXXXX)"
trap 'wineserver -k || true; rm -rf "$scratch"' EXIT
mkdir -p "$out"
wineboot -i >/dev/null 2>&1
# Without a window manager Wine draws the title bars itself.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
# A signed-up publisher's IDs, so that the job runs to its end.
wine reg add 'HKCU\Software\Tolvane' /v signedup /t REG_DWORD /d 1 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Tolvane' /v partnerid /d archiver5 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Tolvane' /v softwareid /d ARCHIVERx /f >/dev/null 2>&1

# A folder large enough for the progress window to stay up for a while.
big="$scratch/Publisher files"
mkdir -p "$big"
for i in $(seq 1 60); do
  head -c 4000000 /dev/urandom >"$big/video-part-$i.bin"
done
winePath() { echo "Z:$(echo "$1" | tr / '\\')"; }

# Waits up to $2 seconds for a window named $1.
waitFor() {
  local i
  for ((i = 0; i < $2 * 4; ++i)); do
    if xdotool search --name "^$1\$" >/dev/null 2>&1; then
      return 0
    fi
    sleep 0.25
  done
  echo "windows-verb-screenshots: no window \"$1\"" >&2
  return 1
}
# Types $1 into the focused save dialog's file name and saves.
answerSave() {
  xdotool key ctrl+a
  xdotool type --delay 20 "$1"
  xdotool key Return
}

texts() { # English key -> the text in the language of column $2
  python3 - "$1" "$2" "$top/data/transl.dat" <<'PY'
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

for language in en de; do
  case $language in
    en) locale=en_US.UTF-8 column=0 ;;
    de) locale=de_DE.UTF-8 column=3 ;;
  esac
  wineserver -k || true
  UseLocale "$locale"
  runWine() { wine "$@"; }
  saveTitle="$(texts "Save Monetized Archive As..." $column)"
  # The key is a typo that English shows corrected.
  progressTitle="$(texts "Progrgess" $column)"
  [ $column = 0 ] && progressTitle=Progress
  rm -f "$scratch"/*.zip

  # The bundled sample: the save dialog and the result box.
  (cd "$top" && runWine "$program" 'samples\sample-folder') &
  run=$!
  waitFor "$saveTitle" 60
  sleep 2
  import -window root "$out/windows-verb-save-$language.png"
  answerSave "$(winePath "$scratch/sample-folder.zip")"
  waitFor Tolvane 60
  sleep 1
  import -window root "$out/windows-verb-result-$language.png"
  xdotool search --name '^Tolvane$' windowfocus --sync key Return || xdotool key Return
  wait $run || true

  # The large folder: the progress window mid-job.
  runWine "$program" "$(winePath "$big")" &
  run=$!
  waitFor "$saveTitle" 60
  sleep 1
  answerSave "$(winePath "$scratch/Publisher files.zip")"
  waitFor "$progressTitle" 60
  sleep 1
  import -window root "$out/windows-verb-progress-$language.png"
  waitFor Tolvane 600
  xdotool search --name '^Tolvane$' windowfocus --sync key Return || xdotool key Return
  wait $run || true
done
echo "windows-verb-screenshots: $out/windows-verb-*.png"
