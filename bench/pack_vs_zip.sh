#!/usr/bin/env bash
# Times `tolvane-cli pack`, its no-change update and `monetize` against
# `zip -r -6` and the other packers (pigz over tar, 7z, bsdtar) on the
# generated corpus, in paired rounds, and reports the medians against the
# targets: speed, size and memory.
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
      sed -n '2,14p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'
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
for needed in zip python3 pigz 7z bsdtar tar; do
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

# Run ROUNDS: every command once per round, in the same order, so that each
# round pairs them under the same machine state; the medians are compared.
rounds=3
declare -A seconds=() rss=() sizes=()
Record() { # Record KEY: appends the last run's figures under KEY
  seconds[$1]="${seconds[$1]:-} $lastSeconds"
  rss[$1]="${rss[$1]:-} $lastRss"
}
Check() { # Check LABEL [ALLOWED]: stops the benchmark when the last command failed
  if [ "$lastStatus" -ne 0 ] && [ "$lastStatus" -ne "${2:-0}" ]; then
    echo "pack_vs_zip: $1 failed (exit $lastStatus):" >&2
    ShowOutput
    exit 1
  fi
}

oneArchive="$work/one-thread.bh"
monetizeZip="$work/monetized.zip"
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
"$cli" settings --partner-id bench --software-id run --language 0 >/dev/null
for run in $(seq "$rounds"); do
  rm -f -- "$bhArchive" "$oneArchive" "$zipArchive" "$monetizeZip" "$work"/peer.*
  Timed "$work" "$cli" pack "$corpus" -o "$bhArchive"
  Check "tolvane-cli pack" 1
  [ "$lastStatus" -eq 0 ] || failed=1
  Record pack
  # zip updates an existing archive, so each run starts from none.
  Timed "$corpus" zip -r -6 -q "$zipArchive" .
  Check "zip -r -6"
  Record zip
  Timed "$work" "$cli" pack "$corpus" -o "$oneArchive" --jobs 1
  Check "tolvane-cli pack --jobs 1" 1
  Record one
  # A second pack over an archive that holds every file: the no-change update.
  Timed "$work" "$cli" pack "$corpus" -o "$bhArchive"
  Check "tolvane-cli pack (update)" 1
  Record update
  Timed "$work" "$cli" monetize "$corpus" -o "$monetizeZip"
  Check "tolvane-cli monetize" 1
  Record monetize
  Timed "$corpus" sh -c "tar cf - . | pigz -p2 -6 > '$work/peer.tgz'"
  Check "tar | pigz -p2 -6"
  Record pigz
  Timed "$corpus" 7z a -tzip -mx5 -mmt2 -bd -bso0 "$work/peer.7z.zip" .
  Check "7z a -tzip -mx5 -mmt2"
  Record 7z
  Timed "$corpus" bsdtar --format zip -cf "$work/peer.bsdtar.zip" .
  Check "bsdtar --format zip"
  Record bsdtar
  echo "round $run of $rounds: pack ${seconds[pack]##* } s, zip ${seconds[zip]##* } s"
done
if [ ! -s "$bhArchive" ]; then
  echo "pack_vs_zip: tolvane-cli pack reported success but wrote no archive" >&2
  exit 1
fi
sizes[pack]="$(stat -c %s "$bhArchive")"
sizes[one]="$(stat -c %s "$oneArchive")"
sizes[update]="${sizes[pack]}"
sizes[zip]="$(stat -c %s "$zipArchive")"
sizes[monetize]="$(stat -c %s "$monetizeZip")"
sizes[pigz]="$(stat -c %s "$work/peer.tgz")"
sizes[7z]="$(stat -c %s "$work/peer.7z.zip")"
sizes[bsdtar]="$(stat -c %s "$work/peer.bsdtar.zip")"

Median() { printf '%s\n' $1 | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
Max() { printf '%s\n' $1 | sort -g | tail -n 1; }
Ratio() { awk -v a="$1" -v b="$2" -v f="${3:-%.3f}" 'BEGIN { printf f, (b > 0) ? a / b : 0 }'; }
Mark() { # Mark VALUE LIMIT: PASS when VALUE <= LIMIT
  awk -v v="$1" -v l="$2" 'BEGIN { print (v <= l) ? "PASS" : "FAIL" }'
}
zipMedian="$(Median "${seconds[zip]}")"

echo
echo "corpus: $corpus ($fileCount files, $corpusBytes bytes, scale $scale)"
echo "machine: $(nproc) cores; medians of $rounds paired rounds after a warm-up read"
printf '  %-34s %9s %8s %13s %8s %9s\n' "command" "time s" "/zip" "bytes" "/zip" "peak MB"
Row() { # Row KEY LABEL
  local median
  median="$(Median "${seconds[$1]}")"
  printf '  %-34s %9s %8s %13s %8s %9s\n' "$2" "$median" "$(Ratio "$median" "$zipMedian")" \
    "${sizes[$1]}" "$(Ratio "${sizes[$1]}" "${sizes[zip]}" %.4f)" \
    "$(awk -v k="$(Max "${rss[$1]}")" 'BEGIN { printf "%.1f", k / 1024 }')"
}
Row pack "tolvane-cli pack ($(nproc) threads)"
Row one "tolvane-cli pack --jobs 1"
Row update "tolvane-cli pack, no-change update"
Row monetize "tolvane-cli monetize"
Row zip "zip -r -6"
Row pigz "tar cf - | pigz -p2 -6"
Row 7z "7z a -tzip -mx5 -mmt2"
Row bsdtar "bsdtar --format zip"

# The large corpus has more long files, which bound what threads can gain.
packTarget="$(awk -v s="$scale" 'BEGIN { print (s >= 5) ? "0.30" : "0.25" }')"
packRatio="$(Ratio "$(Median "${seconds[pack]}")" "$zipMedian")"
jobRatio="$(Ratio "$(Median "${seconds[monetize]}")" "$zipMedian")"
sizeRatio="$(Ratio "${sizes[pack]}" "${sizes[zip]}" %.4f)"
peak="$(Max "${rss[pack]} ${rss[update]}")"
if cmp -s "$oneArchive" "$bhArchive"; then sameBytes="yes"; else sameBytes="NO"; failed=1; fi
echo
printf '  %-34s %9s   target <= %s  %s\n' "time pack / zip" "$packRatio" "$packTarget" "$(Mark "$packRatio" "$packTarget")"
# The target is the medium corpus's; from --scale 5 on the figure is shown
# without one.
if awk -v s="$scale" 'BEGIN { exit !(s < 5) }'; then
  printf '  %-34s %9s   target <= 0.30  %s\n' "time monetize / zip" "$jobRatio" "$(Mark "$jobRatio" 0.30)"
else
  printf '  %-34s %9s   (no target at this scale)\n' "time monetize / zip" "$jobRatio"
fi
printf '  %-34s %9s   target <= 0.99  %s\n' "size BH / zip" "$sizeRatio" "$(Mark "$sizeRatio" 0.99)"
printf '  %-34s %9s   target <= 64    %s\n' "peak MB, pack and update" "$(awk -v k="$peak" 'BEGIN { printf "%.1f", k / 1024 }')" "$(Mark "$peak" 65536)"
printf '  %-34s %9s\n' "same bytes for 1 and $(nproc) threads" "$sameBytes"

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
