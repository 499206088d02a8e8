# shellcheck shell=bash
# Sourced by the checks of tolvane.exe's windows (windows-verb-check.sh,
# windows-main-check.sh, windows-signup-check.sh): the build's tolvane.exe, the script run again
# inside an Xvfb of its own, the build's Wine prefix with a signed-up user, a
# scratch folder removed at the end, and the helpers: check, the controls of
# a window, waiting for windows to show or go.
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
# The control identifiers (sorted, one line) of the visible window named $1,
# leaving out those without one (a list view's header).
windowControls() {
  wine "$buildDir/tests/win/program/list-controls.exe" "$1" 2>/dev/null | tr -d '\r' |
    awk '$1 != 0 {print $1}' | sort -n | tr '\n' ' '
}
# The values that the header $1 defines for the names after it, in the same form.
headerControls() {
  local header="$1"
  shift
  for name; do awk -v name="$name" '$1 == "#define" && $2 == name {print $3}' "$header"; done |
    sort -n | tr '\n' ' '
}
# Waits up to $2 seconds until the number of visible windows named $1
# passes the test $3 (-ge, -lt) against $4.
waitWindows() {
  local i
  for ((i = 0; i < $2 * 4; ++i)); do
    [ "$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | wc -l)" "$3" "$4" ] && return 0
    sleep 0.25
  done
  return 1
}
# Waits up to $2 seconds for $3 visible windows (default 1) named $1.
waitFor() { waitWindows "$1" "$2" -ge "${3:-1}"; }
# Waits up to $2 seconds until fewer than $3 windows (default 1) named $1 show.
waitGone() { waitWindows "$1" "$2" -lt "${3:-1}"; }
firstWindow() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }
