#!/usr/bin/env bash
# Runs the Windows tolvane-cli.exe's monetize job under Wine on the bundled
# sample folder (Windows paths with "\", a password file) and checks the ZIP
# it wrote with the Linux readers: unzip -t, 7z t, and the BH archive inside
# with the Linux build's tolvane-cli test. Then its update check (WinHTTP)
# reads an update page from Python's HTTP server and downloads the installer.
# Usage: scripts/wine-smoke.sh [--build-dir DIR] [--linux-build-dir DIR] [--keep]
#   --build-dir DIR        the Windows build (default: build-win)
#   --linux-build-dir DIR  the Linux build whose tolvane-cli tests the BH archive
#                          (default: build)
#   --keep                 keep the scratch folder afterwards
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
buildDir="$top/build-win"
linuxBuildDir="$top/build"
keep=0
while [ "$#" -gt 0 ]; do
  case "$1" in
    --build-dir) buildDir="$2"; shift ;;
    --linux-build-dir) linuxBuildDir="$2"; shift ;;
    --keep) keep=1 ;;
    -h | --help) sed -n '2,11p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "wine-smoke: unknown argument: $1" >&2; exit 2 ;;
  esac
  shift
done
buildDir="$(cd "$buildDir" && pwd)"
exe="$buildDir/src/cli/tolvane-cli.exe"
linuxCli="$linuxBuildDir/src/cli/tolvane-cli"
for program in "$exe" "$linuxCli"; do
  [ -e "$program" ] || { echo "wine-smoke: $program not found; build it first" >&2; exit 1; }
done
for peer in unzip 7z wine winepath python3; do
  command -v "$peer" >/dev/null || { echo "wine-smoke: $peer is missing" >&2; exit 1; }
done

scratch="$(mktemp -d "${TMPDIR:-/tmp}/tolvane-wine-smoke.XXXXXX")"
Cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -z "${serverPid:-}" ] || kill "$serverPid" 2>/dev/null || true
  if [ "$keep" -eq 1 ]; then echo "wine-smoke: kept $scratch"; else rm -rf -- "$scratch"; fi
}
trap Cleanup EXIT

# A prefix of its own: the settings go to its registry, the job's working
# folder to its %LOCALAPPDATA%.
# shellcheck source=scripts/wine-prefix.sh
source "$top/scripts/wine-prefix.sh" "$scratch/prefix"

WinPath() { winepath -w "$1" 2>/dev/null; }
Step() {
  echo
  echo "==> $*"
  "$@"
}
Cli() { timeout 120 wine "$exe" "$@"; }

cp -r "$top/samples/sample-folder" "$scratch/Sample Folder"
printf 'smoke-password\r\n' > "$scratch/password"
zip="$scratch/out/Sample.zip"
mkdir -p "$scratch/out"

Step Cli --version
Step Cli settings --partner-id smoke-partner --software-id smoke-software --language 3
Step Cli monetize "$(WinPath "$scratch/Sample Folder")" -o "$(WinPath "$zip")" \
  --password-file "$(WinPath "$scratch/password")"
[ -s "$zip" ] || { echo "wine-smoke: FAILED: no ZIP at $zip" >&2; exit 1; }
# The job's working folder is gone again once it ended.
leftovers="$(find "$WINEPREFIX/drive_c/users" -path '*Local*/Tolvane/job-*' 2>/dev/null | wc -l)"
[ "$leftovers" -eq 0 ] || { echo "wine-smoke: FAILED: the job left its folder behind" >&2; exit 1; }

Step unzip -t -P smoke-password "$zip"
Step 7z t -psmoke-password "$zip"
mkdir -p "$scratch/unpacked"
unzip -q -P smoke-password "$zip" -d "$scratch/unpacked"
Step "$linuxCli" test "$scratch/unpacked/Sample.bh"
Step "$linuxCli" list "$scratch/unpacked/Sample.bh"
# The Windows program reads its own archive back too.
Step Cli test "$(WinPath "$zip")" --password-file "$(WinPath "$scratch/password")"

# The update check over WinHTTP: a page offering a newer version, and the
# installer it names, downloaded to the user's temporary folder.
mkdir -p "$scratch/www"
head -c 200000 /dev/urandom > "$scratch/www/setup.exe"
printf '<html><head>\r\n<META NAME="upProduct" CONTENT="Tolvane">\r\n<META NAME="upVersion" CONTENT="99.0">\r\n<META NAME="upDownload" CONTENT="/setup.exe">\r\n<META NAME="upClientSideName" CONTENT="tolvane-setup.exe">\r\n</head></html>\r\n' \
  > "$scratch/www/update.html"
python3 -u -m http.server 0 --bind 127.0.0.1 --directory "$scratch/www" > "$scratch/server.log" 2>&1 &
serverPid=$!
port=""
for _ in $(seq 50); do
  port="$(sed -n 's/.* port \([0-9]*\).*/\1/p' "$scratch/server.log" | head -n 1)"
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { echo "wine-smoke: FAILED: the HTTP server did not start" >&2; exit 1; }
echo
echo "==> Cli check-update --url http://127.0.0.1:$port/update.html --download"
Cli check-update --url "http://127.0.0.1:$port/update.html" --download | tee "$scratch/check.out"
downloaded="$(sed -n 's/^Downloaded: //p' "$scratch/check.out" | tr -d '\r')"
[ -n "$downloaded" ] || { echo "wine-smoke: FAILED: check-update downloaded nothing" >&2; exit 1; }
Step cmp "$scratch/www/setup.exe" "$(winepath -u "$downloaded" 2>/dev/null)"
echo
echo "wine-smoke: OK: tolvane-cli.exe monetized the sample under Wine; unzip, 7z and tolvane-cli test accept it; its update check downloaded the installer"
