#!/usr/bin/env bash
# Packs the bundled sample folder into a BH archive with tolvane-cli, lists
# and tests it, then packs that archive into a password-protected ZIP and
# tests that too, printing each step.
# Usage: scripts/run-sample.sh [--keep] [--build-dir DIR]
#   --keep            keep the scratch folder with the archive afterwards
#   --build-dir DIR   take tolvane-cli from DIR/src/cli (default: build)
# TOLVANE_CLI=/path/to/tolvane-cli overrides the program to run.
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
keep=0
buildDir="$top/build"
while [ "$#" -gt 0 ]; do
  case "$1" in
    --keep) keep=1 ;;
    --build-dir)
      [ "$#" -ge 2 ] || { echo "run-sample: --build-dir needs a folder" >&2; exit 2; }
      buildDir="$2"
      shift
      ;;
    -h | --help)
      sed -n '2,7p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'
      exit 0
      ;;
    *) echo "run-sample: unknown argument: $1" >&2; exit 2 ;;
  esac
  shift
done

cli="${TOLVANE_CLI:-$buildDir/src/cli/tolvane-cli}"
sample="$top/samples/sample-folder"

if [ ! -x "$cli" ]; then
  echo "run-sample: $cli not found; build first: bash scripts/build.sh" >&2
  exit 1
fi
if [ ! -d "$sample" ]; then
  echo "run-sample: sample folder $sample not found" >&2
  exit 1
fi

scratch="$(mktemp -d "${TMPDIR:-/tmp}/tolvane-sample.XXXXXX")"
Cleanup() {
  if [ "$keep" -eq 1 ]; then
    echo "run-sample: kept $scratch"
  else
    rm -rf -- "$scratch"
  fi
}
trap Cleanup EXIT

archive="$scratch/sample-folder.bh"

Step() {
  echo
  echo "==> $*"
  "$@"
}

fileCount="$(find "$sample" -type f | wc -l)"
byteCount="$(find "$sample" -type f -printf '%s\n' | awk '{ s += $1 } END { print s + 0 }')"
echo "run-sample: sample folder $sample: $fileCount files, $byteCount bytes"

Step "$cli" pack "$sample" -o "$archive"
if [ ! -s "$archive" ]; then
  echo "run-sample: FAILED: pack reported success but $archive is missing or empty" >&2
  exit 1
fi
echo "archive: $archive ($(stat -c %s "$archive") bytes)"

Step "$cli" list "$archive"
Step "$cli" test "$archive"

zipArchive="$scratch/sample-folder.zip"
printf 'sample-password\n' > "$scratch/password"
Step "$cli" zip "$archive" -o "$zipArchive" --password-file "$scratch/password"
Step "$cli" list "$zipArchive"
Step "$cli" test "$zipArchive" --password-file "$scratch/password"

echo
echo "run-sample: OK: packed, listed and tested $fileCount files; zipped and tested the archive"
