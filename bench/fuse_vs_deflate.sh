#!/usr/bin/env bash
# Fuse encoder throughput and size next to deflate level 6 on the text-like
# files of the generated corpus (prose, code, CSV, logs), in the same run.
# Usage: bench/fuse_vs_deflate.sh [--scale S] [--build-dir DIR]
#   --scale S         corpus size factor (1.0: ~300 MB in ~20 000 files, about
#                     a third of it text-like); a corpus kept by
#                     bench/pack_vs_zip.sh --keep is reused
#   --build-dir DIR   take fuse-throughput from DIR/bench (default: build)
# Exits 0 whatever the PASS/FAIL mark says; non-zero only when a command fails.
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
scale="1.0"
buildDir="$top/build"
while [ "$#" -gt 0 ]; do
  case "$1" in
    --scale)
      [ "$#" -ge 2 ] || { echo "fuse_vs_deflate: --scale needs a value" >&2; exit 2; }
      scale="$2"
      shift
      ;;
    --build-dir)
      [ "$#" -ge 2 ] || { echo "fuse_vs_deflate: --build-dir needs a folder" >&2; exit 2; }
      buildDir="$2"
      shift
      ;;
    -h | --help)
      sed -n '2,9p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'
      exit 0
      ;;
    *) echo "fuse_vs_deflate: unknown argument: $1" >&2; exit 2 ;;
  esac
  shift
done
if ! [[ "$scale" =~ ^[0-9]*\.?[0-9]+$ ]]; then
  echo "fuse_vs_deflate: --scale takes a positive number, not '$scale'" >&2
  exit 2
fi
program="$buildDir/bench/fuse-throughput"
if [ ! -x "$program" ]; then
  echo "fuse_vs_deflate: $program not found (build with scripts/build.sh)" >&2
  exit 1
fi
scale="$(awk -v s="$scale" 'BEGIN { printf "%g", s }')"

corpus="/tmp/tolvane-bench-corpus-$scale"
madeCorpus=0
# shellcheck disable=SC2317 # called through the trap
Cleanup() {
  rm -rf -- "$corpus.partial"
  if [ "$madeCorpus" -eq 1 ]; then
    rm -rf -- "$corpus"
  fi
}
trap Cleanup EXIT
if [ -d "$corpus" ]; then
  echo "fuse_vs_deflate: reusing the corpus in $corpus"
else
  madeCorpus=1
  python3 "$top/bench/make_corpus.py" "$corpus.partial" --scale "$scale" >/dev/null
  mv -- "$corpus.partial" "$corpus"
fi
"$program" "$corpus"
