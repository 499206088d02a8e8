#!/usr/bin/env bash
# Checks the Windows installer (scripts/build-installer.sh) under Wine and
# Xvfb, in a fresh prefix of its own: a silent install puts the built
# programs into %LOCALAPPDATA%\Programs\Tolvane with the Explorer verb, the
# Start-menu shortcut and the "Apps & features" entry, and nothing into
# HKEY_LOCAL_MACHINE; the installed tolvane-cli.exe stores a setting and the
# installed tolvane.exe opens its window; a silent uninstall through the
# entry's UninstallString removes all of the installer's files and keys and
# keeps the user's settings.
# Usage: scripts/installer-check.sh [BUILD_DIR]   (default: build-win)
set -euo pipefail
# A step that fails outside the checks still says which one it was.
trap 'echo "installer-check: FAILED at line $LINENO: $BASH_COMMAND" >&2' ERR

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
buildDir="$(realpath "${1:-$top/build-win}")"
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$buildDir/CMakeCache.txt" 2>/dev/null || true)"
setup="$buildDir/installer/tolvane-setup-$version.exe"
if [ -z "$version" ] || [ ! -f "$setup" ]; then
  echo "installer-check: no installer in $buildDir/installer; run scripts/build-installer.sh first" >&2
  exit 1
fi
for peer in wine wineserver winepath xvfb-run xdotool strings; do
  command -v "$peer" >/dev/null || { echo "installer-check: $peer is missing" >&2; exit 1; }
done
if [ -z "${TOLVANE_CHECK_INNER:-}" ]; then
  export TOLVANE_CHECK_INNER=1
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$buildDir"
fi

scratch="$(mktemp -d "${TMPDIR:-/tmp}/tolvane-installer-check.XXXXXX")"
Cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf -- "$scratch"
}
trap Cleanup EXIT
# A prefix of its own, so that nothing an earlier run or another check
# installed or registered is found.
# shellcheck source=scripts/wine-prefix.sh
source "$top/scripts/wine-prefix.sh" "$scratch/prefix"

Wine() { timeout 120 wine "$@"; }
Fatal() {
  echo "installer-check: FAILED: $*" >&2
  exit 1
}
failures=0
Check() { # name, expected, actual
  if [ "$2" = "$3" ]; then
    echo "ok   $1"
  else
    echo "FAIL $1: expected '$2', got '$3'"
    failures=$((failures + 1))
  fi
}
# The data of value NAME ("" for the unnamed one) of KEY, "<none>" when the
# value or key is not there.
RegValue() {
  local which=(/v "$2") label="$2"
  [ -n "$2" ] || { which=(/ve); label="(Default)"; }
  { Wine reg query "$1" "${which[@]}" 2>/dev/null || true; } | tr -d '\r' | awk -v name="$label" '
    { prefix = "    " name "    "
      if (index($0, prefix) == 1) {
        rest = substr($0, length(prefix) + 1); sub(/^REG_[A-Z_]+    /, "", rest); print rest; found = 1 } }
    END { if (!found) print "<none>" }'
}
KeyExists() { if Wine reg query "$1" >/dev/null 2>&1; then echo yes; else echo no; fi; }
Exists() { if [ -e "$1" ]; then echo yes; else echo no; fi; }
WinEnv() { Wine cmd /c echo "%$1%" | tr -d '\r'; }

verbKey='HKCU\Software\Classes\Directory\Shell\Tolvane.Run'
uninstallKey='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tolvane'
settingsKey='HKCU\Software\Tolvane'

echo "==> $(basename "$setup") /S"
status=0
Wine "$setup" /S || status=$?
[ "$status" -eq 0 ] || Fatal "the silent install ended with status $status"

installWin="$(WinEnv LOCALAPPDATA)\\Programs\\Tolvane"
installDir="$(winepath -u "$installWin" 2>/dev/null)"
installDir="${installDir%/}"
shortcut="$(winepath -u "$(WinEnv APPDATA)" 2>/dev/null)"
shortcut="${shortcut%/}/Microsoft/Windows/Start Menu/Programs/Tolvane.lnk"
[ -d "$installDir" ] || Fatal "no folder $installWin after the install"

# The files are the build's, byte for byte.
for file in src/win/program/tolvane.exe src/win/program/transl.dat src/cli/tolvane-cli.exe; do
  name="$(basename "$file")"
  Check "installed $name is the built one" same \
    "$(cmp -s "$buildDir/$file" "$installDir/$name" && echo same || echo different)"
done
Check "uninstaller installed" yes "$(Exists "$installDir/uninstall.exe")"
Check "Start-menu shortcut" yes "$(Exists "$shortcut")"
Check "Start-menu shortcut's target" "$installWin\\tolvane.exe" \
  "$(strings -a "$shortcut" 2>/dev/null | grep -Fx -m 1 "$installWin\\tolvane.exe" || echo '<other>')"

command="\"$installWin\\tolvane.exe\" \"%1\""
Check "verb caption" "Monetize..." "$(RegValue "$verbKey" "")"
Check "verb command" "$command" "$(RegValue "$verbKey\\Command" "")"
Check "uninstall entry: DisplayName" Tolvane "$(RegValue "$uninstallKey" DisplayName)"
Check "uninstall entry: DisplayVersion" "$version" "$(RegValue "$uninstallKey" DisplayVersion)"
publisher="$(RegValue "$uninstallKey" Publisher)"
Check "uninstall entry: Publisher" set "$([ -n "$publisher" ] && [ "$publisher" != '<none>' ] && echo set || echo missing)"
Check "uninstall entry: InstallLocation" "$installWin" "$(RegValue "$uninstallKey" InstallLocation)"
uninstallString="$(RegValue "$uninstallKey" UninstallString)"
Check "uninstall entry: UninstallString" "\"$installWin\\uninstall.exe\"" "$uninstallString"
Check "uninstall entry: NoModify" 0x1 "$(RegValue "$uninstallKey" NoModify)"
Check "uninstall entry: NoRepair" 0x1 "$(RegValue "$uninstallKey" NoRepair)"
# For the user alone: nothing that needs an administrator in the machine's keys.
machineKeys="$({ Wine reg query 'HKLM\Software' /s 2>/dev/null || true; } | tr -d '\r')"
Check "HKLM\Software holds nothing of Tolvane" 0 \
  "$(if [ -z "$machineKeys" ]; then echo '<no answer>'; else grep -ci tolvane <<<"$machineKeys" || true; fi)"

echo "==> installed tolvane-cli.exe settings"
Wine "$installDir/tolvane-cli.exe" settings --partner-id check-partner --software-id check-software ||
  Fatal "the installed tolvane-cli.exe could not store the settings"
Check "setting stored" check-partner "$(RegValue "$settingsKey" partnerid)"

# tolvane.exe alone opens its main window titled "Tolvane"; Escape closes
# it as a user would.
echo "==> installed tolvane.exe"
status=0
Wine "$installDir/tolvane.exe" &
run=$!
shown=no
for _ in $(seq 1 240); do
  if xdotool search --onlyvisible --name '^Tolvane$' >/dev/null 2>&1; then
    shown=yes
    break
  fi
  kill -0 "$run" 2>/dev/null || break
  sleep 0.25
done
Check "tolvane.exe's window appears" yes "$shown"
if [ "$shown" = yes ]; then
  sleep 0.5
  xdotool search --onlyvisible --name '^Tolvane$' windowfocus --sync key Escape >/dev/null 2>&1 || true
else
  kill "$run" 2>/dev/null || true
fi
wait "$run" || status=$?
Check "tolvane.exe closed with status" 0 "$status"
# The program registers the verb at every start: the same command as the installer's.
Check "verb command after the program's start" "$command" "$(RegValue "$verbKey\\Command" "")"
workingFolder="$(winepath -u "$(WinEnv LOCALAPPDATA)\\Tolvane" 2>/dev/null)"
Check "tolvane.exe's working folder made" yes "$(Exists "$workingFolder")"

# As "Apps & features" runs it, silently. The uninstaller copies itself to
# the temporary folder and goes on from there, so its folder going away is
# the sign that it ended.
echo "==> $uninstallString /S"
uninstaller="$(winepath -u "$(echo "$uninstallString" | tr -d '"')" 2>/dev/null)"
status=0
Wine "$uninstaller" /S || status=$?
[ "$status" -eq 0 ] || Fatal "the silent uninstall ended with status $status"
for _ in $(seq 1 240); do
  [ -e "$installDir" ] || break
  sleep 0.25
done
Check "program folder removed" no "$(Exists "$installDir")"
Check "empty working folder removed" no "$(Exists "$workingFolder")"
Check "Start-menu shortcut removed" no "$(Exists "$shortcut")"
Check "verb keys removed" no "$(KeyExists "$verbKey")"
Check "uninstall entry removed" no "$(KeyExists "$uninstallKey")"
Check "settings kept: partnerid" check-partner "$(RegValue "$settingsKey" partnerid)"
Check "settings kept: softwareid" check-software "$(RegValue "$settingsKey" softwareid)"

echo
if [ "$failures" -ne 0 ]; then
  echo "installer-check: FAILED: $failures check(s) of $(basename "$setup")" >&2
  exit 1
fi
echo "installer-check: OK: $(basename "$setup") installs for the user, its programs run, and it uninstalls keeping the settings"
