#!/usr/bin/env bash
# Times the main window's monetize job (gui-job-bench, offscreen) against
# `tolvane-cli monetize` on the same generated corpus, and measures the
# longest gap between two GUI event-loop turns during the window's job.
# Usage: bench/gui_job.sh [--scale S] [--build-dir DIR]
#   --scale S         corpus size factor (default 0.1; 1.0: ~300 MB in ~20 000 files)
#   --build-dir DIR   take the programs from DIR (default: build)
# Targets: window job time / CLI time at most 1.05; longest gap under 100 ms.
# Exits 0 whatever the PASS/FAIL marks say; non-zero only when a command fails.
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
scale="0.1"
buildDir="$top/build"
while [ "$#" -gt 0 ]; do
  case "$1" in
    --scale) scale="$2"; shift ;;
    --build-dir) buildDir="$2"; shift ;;
    -h | --help) sed -n '2,9p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "gui_job: unknown argument: $1" >&2; exit 2 ;;
  esac
  shift
done
cli="$buildDir/src/cli/tolvane-cli"
bench="$buildDir/bench/gui-job-bench"
for needed in "$cli" "$bench"; do
  [ -x "$needed" ] || { echo "gui_job: $needed not found (build with scripts/build.sh)" >&2; exit 1; }
done
scale="$(awk -v s="$scale" 'BEGIN { printf "%g", s }')"

corpus="/tmp/tolvane-bench-corpus-$scale"
if [ ! -d "$corpus" ]; then
  echo "gui_job: generating the corpus at scale $scale..."
  python3 "$top/bench/make_corpus.py" "$corpus" --scale "$scale" >/dev/null
fi
scratch="$(mktemp -d /tmp/tolvane-gui-bench.XXXXXX)"
trap 'rm -rf "$scratch"' EXIT
export XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" HOME="$scratch"
export TOLVANE_UPDATE_HOST=127.0.0.1:9 LANGUAGE=en_US
"$cli" settings --partner-id P1 --software-id S1 --language 0 >/dev/null

# Warm the page cache, then the faster of two runs of each.
tar -cf - -C "$corpus" . >/dev/null
best() { sort -n | head -n 1; }
cliTimes=()
guiTimes=()
gaps=()
for run in 1 2; do
  rm -f "$scratch/cli.zip" "$scratch/gui.zip"
  start=$(date +%s.%N)
  "$cli" monetize "$corpus" -o "$scratch/cli.zip" >/dev/null
  end=$(date +%s.%N)
  cliTimes+=("$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')")
  line="$("$bench" "$corpus" "$scratch/gui.zip")"
  guiTimes+=("$(sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' <<<"$line")")
  gaps+=("$(sed -n 's/.*max_gap_ms=\([0-9.]*\).*/\1/p' <<<"$line")")
done
[ -s "$scratch/gui.zip" ] || { echo "gui_job: the window's job wrote no ZIP" >&2; exit 1; }
cliBest="$(printf '%s\n' "${cliTimes[@]}" | best)"
guiBest="$(printf '%s\n' "${guiTimes[@]}" | best)"
gapWorst="$(printf '%s\n' "${gaps[@]}" | sort -n | tail -n 1)"
ratio="$(awk -v g="$guiBest" -v c="$cliBest" 'BEGIN { printf "%.3f", g / c }')"
mark() { awk -v v="$1" -v t="$2" 'BEGIN { print (v <= t) ? "PASS" : "FAIL" }'; }
echo "corpus: $corpus ($(du -sh "$corpus" | cut -f1))"
printf 'tolvane-cli monetize   %8ss\n' "$cliBest"
printf 'window job (offscreen) %8ss\n' "$guiBest"
printf 'time ratio window/cli  %8s   (target <= 1.05)  %s\n' "$ratio" "$(mark "$ratio" 1.05)"
printf 'longest event-loop gap %8sms (target < 100)   %s\n' "$gapWorst" "$(mark "$gapWorst" 99.999)"
