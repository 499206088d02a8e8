#!/usr/bin/env bash
# Runs the monetize job on the bundled sample folder with sample IDs (in a
# throw-away settings folder), then lists and tests the ZIP and the BH archive
# inside it, printing each step.
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

# The monetize job with sample IDs, in settings and a working folder of its own.
export XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data"
zipArchive="$scratch/sample-folder.zip"

Step() {
  echo
  echo "==> $*"
  "$@"
}

fileCount="$(find "$sample" -type f | wc -l)"
byteCount="$(find "$sample" -type f -printf '%s\n' | awk '{ s += $1 } END { print s + 0 }')"
echo "run-sample: sample folder $sample: $fileCount files, $byteCount bytes"

Step "$cli" settings --partner-id sample-partner --software-id sample-software --language 0
printf 'sample-password\n' > "$scratch/password"
Step "$cli" monetize "$sample" -o "$zipArchive" --password-file "$scratch/password"
if [ ! -s "$zipArchive" ]; then
  echo "run-sample: FAILED: monetize reported success but $zipArchive is missing or empty" >&2
  exit 1
fi
Step "$cli" list "$zipArchive"
Step "$cli" test "$zipArchive" --password-file "$scratch/password"

# The BH archive inside the ZIP, taken out and tested on its own.
mkdir -p "$scratch/unpacked"
unzip -q -P sample-password "$zipArchive" -d "$scratch/unpacked"
Step "$cli" list "$scratch/unpacked/sample-folder.bh"
Step "$cli" test "$scratch/unpacked/sample-folder.bh"
echo
echo "shortcut:"
cat "$scratch/unpacked/"*.URL

echo
echo "run-sample: OK: monetized $fileCount files into $(basename "$zipArchive"), tested the ZIP and the BH archive inside it"
