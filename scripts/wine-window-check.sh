# shellcheck shell=bash
# Sourced by the checks of tolvane.exe's windows (windows-verb-check.sh,
# windows-main-check.sh): the build's tolvane.exe, the script run again
# inside an Xvfb of its own, the build's Wine prefix with a signed-up user, a
# scratch folder removed at the end, and the check helpers.
# Usage: source "$top/scripts/wine-window-check.sh" NAME [BUILD_DIR]
checkName="$1"
buildDir="$(realpath "${2:-$top/build-win}")"
program="$buildDir/src/win/program/tolvane.exe"
[ -f "$program" ] || { echo "$checkName: $program not found" >&2; exit 1; }
if [ -z "${TOLVANE_CHECK_INNER:-}" ]; then
  export TOLVANE_CHECK_INNER=1
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$buildDir"
fi
export WINEPREFIX="$buildDir/wine" WINEDEBUG=-all LC_ALL=C.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# The start-up's update check asks a port on loopback that refuses at once
# (a check of its own sets its server instead), not the build's vendor host.
export TOLVANE_UPDATE_HOST=127.0.0.1:9
scratch="$(mktemp -d "/tmp/tolvane-$checkName.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Tolvane' /v signedup /t REG_DWORD /d 1 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Tolvane' /v partnerid /d archiver5 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Tolvane' /v softwareid /d ARCHIVERx /f >/dev/null 2>&1
winePath() { echo "Z:$(echo "$1" | tr / '\\')"; }
failures=0
check() { # name, expected, actual
  if [ "$2" = "$3" ]; then echo "ok   $1"; else echo "FAIL $1: expected $2, got $3"; failures=$((failures + 1)); fi
}
