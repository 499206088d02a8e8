#!/usr/bin/env bash
# Runs libFuzzer targets on copies of their seed corpora.
# Usage: scripts/fuzz.sh TARGET|all [SECONDS]   (SECONDS per target, default 60)
# Builds the fuzz build (build-fuzz, clang, -DTOLVANE_FUZZ=ON) when needed.
# Each run works in a scratch folder, so new inputs never land in the tree; the
# folder is removed after a clean run and kept, with its path printed, when the
# target crashed. Exit status 1 when any target crashed.
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
buildDir="${TOLVANE_FUZZ_BUILD_DIR:-$top/build-fuzz}"
fuzzDir="$top/tests/fuzz"
all=(fuzz_bh_reader fuzz_zip_reader fuzz_writer_update fuzz_translation fuzz_settings
  fuzz_update_page fuzz_smtp_replies)

if [ "$#" -lt 1 ] || [ "$#" -gt 2 ]; then
  echo "usage: scripts/fuzz.sh TARGET|all [SECONDS]   (targets: ${all[*]})" >&2
  exit 2
fi
if [ "$1" = all ]; then
  targets=("${all[@]}")
elif [ -d "$fuzzDir/corpus/$1" ]; then
  targets=("$1")
else
  echo "unknown target '$1' (targets: ${all[*]})" >&2
  exit 2
fi
seconds="${2:-60}"

if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz.sh: clang++ not found; install clang and libclang-rt-14-dev" >&2
  exit 2
fi
if [ ! -f "$buildDir/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$top" -B "$buildDir" -G Ninja -DTOLVANE_FUZZ=ON -DTOLVANE_BUILD_GUI=OFF
fi
cmake --build "$buildDir" --parallel "${TOLVANE_JOBS:-$(nproc 2>/dev/null || echo 2)}" \
  --target "${targets[@]}"

# The targets write their inputs to files; tmpfs keeps that off the disk.
scratchRoot="${TMPDIR:-/tmp}"
[ -w /dev/shm ] && scratchRoot=/dev/shm
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

failed=()
for target in "${targets[@]}"; do
  work="$(mktemp -d "$scratchRoot/tolvane-$target-XXXXXX")"
  cp -r "$fuzzDir/corpus/$target" "$work/corpus"
  dict=()
  [ -f "$fuzzDir/$target.dict" ] && dict=("-dict=$fuzzDir/$target.dict")
  echo "== $target: $seconds s in $work"
  status=0
  (cd "$work" && TMPDIR="$work" "$buildDir/tests/fuzz/$target" "$work/corpus" "${dict[@]}" \
    -max_total_time="$seconds" -timeout=20 -print_final_stats=1 -artifact_prefix="$work/" \
    >"$work/log" 2>&1) || status=$?
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log")"
  speed="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/log")"
  added="$(sed -n 's/^stat::new_units_added: *//p' "$work/log")"
  rss="$(sed -n 's/^stat::peak_rss_mb: *//p' "$work/log")"
  if [ "$status" -eq 0 ]; then
    echo "$target: ${runs:-?} runs, ${speed:-?} exec/s, ${added:-?} new units, peak RSS ${rss:-?} MB"
    rm -rf "$work"
    continue
  fi
  failed+=("$target")
  tail -n 60 "$work/log"
  echo "$target FAILED (status $status): log $work/log"
  for artifact in "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-*; do
    [ -e "$artifact" ] && echo "  input saved as $artifact"
  done
done

if [ "${#failed[@]}" -gt 0 ]; then
  echo "crashed: ${failed[*]}"
  exit 1
fi
