#!/usr/bin/env bash
# Runs the Windows build's test programs under Wine, two at a time.
# Usage: scripts/test-windows.sh [BUILD_DIR] [ctest arguments...]
# BUILD_DIR defaults to build-win (scripts/build-windows.sh makes it). The Wine
# prefix lives in BUILD_DIR/wine-prefix (WINEPREFIX overrides it), so a run
# never depends on ~/.wine. Exits non-zero when a test fails.
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
buildDir="$top/build-win"
if [ "$#" -gt 0 ] && [ "${1#-}" = "$1" ]; then
  buildDir="$(cd "$1" && pwd)"
  shift
fi
timeoutSeconds="${TOLVANE_TEST_TIMEOUT:-300}"

export WINEPREFIX="${WINEPREFIX:-$buildDir/wine-prefix}"
# Wine's own errors stay on: a program that fails in Wine's loader, before
# its main prints anything, shows why only on this channel.
export WINEDEBUG=-all,err+all
# Wine reads the Linux file names in the locale's charset: under C or POSIX
# it would take the sample's non-ASCII names for unreadable ones.
export LC_ALL=C.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
mkdir -p "$WINEPREFIX"

# A persistent wineserver and a prefix booted before the tests: otherwise the
# first tests start Wine's services themselves, and the pipes those inherit
# keep ctest waiting after the test has ended.
# Started already (an earlier run, a shell of the developer): that one serves.
wineserver -p 2>/dev/null || true
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
timeout 300 wineboot -i >/dev/null 2>&1 || {
  echo "test-windows: wineboot failed in $WINEPREFIX" >&2
  exit 1
}

# Names that begin with "." are ordinary names on Windows; Wine hides them
# unless told otherwise.
wine reg add 'HKCU\Software\Wine' /v ShowDotFiles /d Y /f >/dev/null 2>&1
# The desktop process is started here, not by the first test that asks the
# shell: it would inherit that test's output pipe and ctest wait for it to end.
wine explorer.exe /desktop >/dev/null 2>&1 &
for _ in $(seq 100); do
  # The Windows-side process, not the launcher that names it too.
  pgrep -f '^C:.windows.system32.explorer.exe /desktop' >/dev/null && break
  sleep 0.1
done
sleep 1

run() {
  ctest --test-dir "$buildDir" -j2 --timeout "$timeoutSeconds" --output-on-failure "$@"
}
# Wine now and then fails to start a program (no output, gone in ~10 ms); a
# failed test runs once more, and the run fails only when it fails again.
# The first failure's output stays above in the log.
run -LE slow "$@" && exit 0
echo "test-windows: running the failed tests once more" >&2
run --rerun-failed
