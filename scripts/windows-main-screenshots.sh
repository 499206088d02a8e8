#!/usr/bin/env bash
# Runs tolvane.exe's main window under Wine and Xvfb on the bundled sample
# folder and saves docs/screenshots/windows-main-{en,de,ru}.png, the German
# and Russian ones at 150% scaling too (windows-main-{de,ru}-150.png), and
# the password prompt in English and German (windows-password-{en,de}.png)
# and the window with a password set (windows-main-locked-{en,de}.png).
# Build tolvane.exe first (the MinGW-w64 build); needs wine, xvfb-run,
# xdotool, ImageMagick's import and the locales package.
# Usage: scripts/windows-main-screenshots.sh [BUILD_DIR]   (default build-win, as scripts/build-windows.sh makes it)
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=scripts/wine-screenshots.sh
source "$top/scripts/wine-screenshots.sh" windows-main-screenshots "${1:-}" \
  en:96 de:96 de:144 ru:96 ru:144

TOLVANE_TEST_SELECT_FOLDER="$(winePath "$top/samples/sample-folder")" wine "$program" &
run=$!
main="$(waitFor Tolvane 60)"
sleep 2
# The screen is black around the window: cut to the window.
import -window root -trim +repage "$out/windows-main-$suffix.png"
if [ "$language" != ru ] && [ "$dpi" = 96 ]; then
  # The password prompt by the button's mnemonic (P of "Password...", K of "Kennwort...").
  mnemonic=p
  [ "$language" = de ] && mnemonic=k
  xdotool windowfocus --sync "$main" key "alt+$mnemonic"
  sleep 2
  import -window root "$out/windows-password-$language.png"
  # The password typed and verified: the button shows the lock.
  for prompt in "$(texts 'Security Encryption...')" "$(texts 'Verify Password...')"; do
    waitFor "$prompt" 20 >/dev/null
    xdotool search --onlyvisible --name "^$prompt\$" windowfocus --sync type --delay 30 's3cret-Pw'
    xdotool key Return
    sleep 1
  done
  # Wine repaints the window slowly after a dialog.
  sleep 4
  import -window root -trim +repage "$out/windows-main-locked-$language.png"
fi
xdotool windowfocus --sync "$main" key Escape
wait $run || true
