#!/usr/bin/env bash
# Times `tolvane-cli pack` against `zip -r -6` on the generated corpus and
# reports speed, size and memory against the targets.
# Usage: bench/pack_vs_zip.sh [--scale S] [--keep] [--verify] [--build-dir DIR]
#   --scale S         corpus size factor (1.0: ~300 MB in ~20 000 files)
#   --keep            keep the corpus in /tmp/tolvane-bench-corpus-S for later
#                     runs (a kept corpus is always reused) and keep the archives
#   --verify          also run `tolvane-cli test` on the BH archive
#   --build-dir DIR   take tolvane-cli from DIR/src/cli (default: build)
# TOLVANE_CLI=/path/to/tolvane-cli overrides the program to time.
# Exits 0 whatever the PASS/FAIL marks say; non-zero only when a command fails.
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
scale="1.0"
keep=0
verify=0
buildDir="$top/build"
while [ "$#" -gt 0 ]; do
  case "$1" in
    --scale)
      [ "$#" -ge 2 ] || { echo "pack_vs_zip: --scale needs a value" >&2; exit 2; }
      scale="$2"
      shift
      ;;
    --keep) keep=1 ;;
    --verify) verify=1 ;;
    --build-dir)
      [ "$#" -ge 2 ] || { echo "pack_vs_zip: --build-dir needs a folder" >&2; exit 2; }
      buildDir="$2"
      shift
      ;;
    -h | --help)
      sed -n '2,12p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'
      exit 0
      ;;
    *) echo "pack_vs_zip: unknown argument: $1" >&2; exit 2 ;;
  esac
  shift
done
if ! [[ "$scale" =~ ^[0-9]*\.?[0-9]+$ ]]; then
  echo "pack_vs_zip: --scale takes a positive number, not '$scale'" >&2
  exit 2
fi

cli="${TOLVANE_CLI:-$buildDir/src/cli/tolvane-cli}"
timeTool=/usr/bin/time
for needed in "$cli" "$timeTool"; do
  if [ ! -x "$needed" ]; then
    echo "pack_vs_zip: $needed not found (build with scripts/build.sh; install deps with scripts/install-deps.sh)" >&2
    exit 1
  fi
done
cli="$(realpath -- "$cli")"
# One spelling per scale, so "1", "1.0" and "1.00" share a corpus.
scale="$(awk -v s="$scale" 'BEGIN { printf "%g", s }')"
for needed in zip python3; do
  command -v "$needed" >/dev/null || { echo "pack_vs_zip: $needed not found; run scripts/install-deps.sh" >&2; exit 1; }
done

corpus="/tmp/tolvane-bench-corpus-$scale"
work="$(mktemp -d "${TMPDIR:-/tmp}/tolvane-bench.XXXXXX")"
madeCorpus=0
# shellcheck disable=SC2317 # called through the trap
Cleanup() {
  rm -rf -- "$corpus.partial"
  if [ "$keep" -eq 1 ]; then
    echo "pack_vs_zip: kept the corpus in $corpus and the archives in $work"
  else
    rm -rf -- "$work"
    if [ "$madeCorpus" -eq 1 ]; then
      rm -rf -- "$corpus"
    fi
  fi
}
trap Cleanup EXIT

# A corpus is reused only when its generation finished: it is built under a
# temporary name and renamed at the end.
if [ -d "$corpus" ]; then
  echo "pack_vs_zip: reusing the corpus in $corpus"
else
  rm -rf -- "$corpus.partial"
  madeCorpus=1
  python3 "$top/bench/make_corpus.py" "$corpus.partial" --scale "$scale"
  mv -- "$corpus.partial" "$corpus"
fi
fileCount="$(find "$corpus" -type f | wc -l)"
corpusBytes="$(find "$corpus" -type f -printf '%s\n' | awk '{ s += $1 } END { printf "%d", s }')"

# Warm the page cache so neither tool pays for the first read from disk.
find "$corpus" -type f -print0 | xargs -0 cat >/dev/null

bhArchive="$work/corpus.bh"
zipArchive="$work/corpus.zip"
failed=0

# Timed DIR COMMAND...: runs COMMAND in DIR under GNU time and sets
# lastSeconds, lastRss and lastStatus; the command's output goes to a file.
lastSeconds=0
lastRss=0
lastStatus=0
Timed() {
  local dir="$1"
  shift
  local report="$work/time.txt"
  set +e
  (cd "$dir" && exec "$timeTool" -f '%e %M' -o "$report" "$@") >"$work/output.txt" 2>&1
  lastStatus=$?
  set -e
  read -r lastSeconds lastRss < <(tail -n 1 "$report")
}

ShowOutput() {
  tail -n 20 "$work/output.txt" | sed 's/^/    /' >&2
}

# One thread first: the figure the threads are measured against, and the
# archive whose bytes every thread count must reproduce.
oneArchive="$work/one-thread.bh"
declare -a oneTimes=()
for run in 1 2; do
  rm -f -- "$oneArchive"
  Timed "$work" "$cli" pack "$corpus" -o "$oneArchive" --jobs 1
  echo "run $run: tolvane-cli pack --jobs 1  ${lastSeconds} s, peak RSS ${lastRss} KB, exit ${lastStatus}"
  if [ "$lastStatus" -gt 1 ]; then
    echo "pack_vs_zip: tolvane-cli pack --jobs 1 failed (exit $lastStatus):" >&2
    ShowOutput
    exit 1
  fi
  oneTimes+=("$lastSeconds")
done

declare -a packTimes=() packRss=() zipTimes=()
for run in 1 2; do
  rm -f -- "$bhArchive"
  Timed "$work" "$cli" pack "$corpus" -o "$bhArchive"
  echo "run $run: tolvane-cli pack  ${lastSeconds} s, peak RSS ${lastRss} KB, exit ${lastStatus}"
  if [ "$lastStatus" -eq 1 ]; then
    echo "pack_vs_zip: tolvane-cli pack left files out (exit 1):" >&2
    ShowOutput
    failed=1
  elif [ "$lastStatus" -ne 0 ]; then
    echo "pack_vs_zip: tolvane-cli pack failed (exit $lastStatus):" >&2
    ShowOutput
    exit 1
  fi
  packTimes+=("$lastSeconds")
  packRss+=("$lastRss")

  # zip updates an existing archive, so each run starts from none.
  rm -f -- "$zipArchive"
  Timed "$corpus" zip -r -6 -q "$zipArchive" .
  echo "run $run: zip -r -6        ${lastSeconds} s, peak RSS ${lastRss} KB, exit ${lastStatus}"
  if [ "$lastStatus" -ne 0 ]; then
    echo "pack_vs_zip: zip failed (exit $lastStatus):" >&2
    ShowOutput
    exit 1
  fi
  zipTimes+=("$lastSeconds")
done
if [ ! -s "$bhArchive" ]; then
  echo "pack_vs_zip: tolvane-cli pack reported success but wrote no archive" >&2
  exit 1
fi

Min() { printf '%s\n' "$@" | sort -g | head -n 1; }
Max() { printf '%s\n' "$@" | sort -g | tail -n 1; }
packBest="$(Min "${packTimes[@]}")"
oneBest="$(Min "${oneTimes[@]}")"
zipBest="$(Min "${zipTimes[@]}")"
packPeak="$(Max "${packRss[@]}")"
bhSize="$(stat -c %s "$bhArchive")"
zipSize="$(stat -c %s "$zipArchive")"

Mark() { # Mark VALUE LIMIT: PASS when VALUE <= LIMIT (strict when $3 = lt)
  awk -v v="$1" -v l="$2" -v strict="${3:-}" 'BEGIN {
    ok = (strict == "lt") ? (v < l) : (v <= l); print ok ? "PASS" : "FAIL" }'
}
timeRatio="$(awk -v a="$packBest" -v b="$zipBest" 'BEGIN { printf "%.3f", (b > 0) ? a / b : 0 }')"
oneRatio="$(awk -v a="$oneBest" -v b="$zipBest" 'BEGIN { printf "%.3f", (b > 0) ? a / b : 0 }')"
# The large corpus has more long files, which bound what threads can gain.
timeTarget="$(awk -v s="$scale" 'BEGIN { print (s >= 5) ? "0.55" : "0.50" }')"
if cmp -s "$oneArchive" "$bhArchive"; then
  sameBytes="yes"
else
  sameBytes="NO"
  failed=1
fi
sizeRatio="$(awk -v a="$bhSize" -v b="$zipSize" 'BEGIN { printf "%.4f", a / b }')"
peakMb="$(awk -v k="$packPeak" 'BEGIN { printf "%.1f", k / 1024 }')"

echo
echo "corpus: $corpus ($fileCount files, $corpusBytes bytes, scale $scale)"
echo "machine: $(nproc) cores; best of two runs after a warm-up read"
printf '  %-28s %10s s\n' "tolvane-cli pack ($(nproc) threads)" "$packBest" "tolvane-cli pack --jobs 1" "$oneBest" "zip -r -6" "$zipBest"
printf '  %-28s %10s   target <= %s  %s\n' "time ratio pack/zip" "$timeRatio" "$timeTarget" "$(Mark "$timeRatio" "$timeTarget")"
printf '  %-28s %10s   (one thread)\n' "time ratio pack/zip" "$oneRatio"
printf '  %-28s %10s\n' "same bytes as one thread" "$sameBytes"
printf '  %-28s %10s bytes\n' "BH archive" "$bhSize" "ZIP archive" "$zipSize"
printf '  %-28s %10s   target <= 1.01  %s\n' "size ratio BH/ZIP" "$sizeRatio" "$(Mark "$sizeRatio" 1.01)"
printf '  %-28s %10s MB   target < 64   %s\n' "tolvane-cli peak RSS" "$peakMb" "$(Mark "$packPeak" 65536 lt)"

# The whole monetize job (BH archive, shortcut, ZIP of both) on the same
# folder, with settings and a working folder of its own.
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
"$cli" settings --partner-id bench --software-id run --language 0 >/dev/null
monetizeZip="$work/monetized.zip"
declare -a jobTimes=() jobRss=()
for run in 1 2; do
  rm -f -- "$monetizeZip"
  Timed "$work" "$cli" monetize "$corpus" -o "$monetizeZip"
  echo "run $run: tolvane-cli monetize ${lastSeconds} s, peak RSS ${lastRss} KB, exit ${lastStatus}"
  if [ "$lastStatus" -gt 1 ]; then
    echo "pack_vs_zip: tolvane-cli monetize failed (exit $lastStatus):" >&2
    ShowOutput
    exit 1
  fi
  jobTimes+=("$lastSeconds")
  jobRss+=("$lastRss")
done
jobBest="$(Min "${jobTimes[@]}")"
jobRatio="$(awk -v a="$jobBest" -v b="$zipBest" 'BEGIN { printf "%.3f", (b > 0) ? a / b : 0 }')"
printf '  %-28s %10s s   (monetize job; zip -r -6 %s s)\n' "tolvane-cli monetize" "$jobBest" "$zipBest"
printf '  %-28s %10s   target <= 0.60  %s\n' "time ratio monetize/zip" "$jobRatio" "$(Mark "$jobRatio" 0.60)"
printf '  %-28s %10s MB\n' "monetize peak RSS" "$(awk -v k="$(Max "${jobRss[@]}")" 'BEGIN { printf "%.1f", k / 1024 }')"

if [ "$verify" -eq 1 ]; then
  echo
  echo "==> $cli test $bhArchive"
  if "$cli" test "$bhArchive" >"$work/output.txt" 2>&1; then
    echo "  tolvane-cli test: OK"
  else
    echo "pack_vs_zip: tolvane-cli test FAILED:" >&2
    ShowOutput
    failed=1
  fi
fi

exit "$failed"
