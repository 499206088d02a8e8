#!/usr/bin/env bash
# Packs a tree of many small files, then updates the archive with nothing
# changed, and reports each run's time and peak memory against the 64 MB
# limit, for the BH archive (pack) and the ZIP (zip FOLDER).
# Usage: bench/many_files.sh [--files N] [--build-dir DIR]
#   --files N         files in the tree (default 200000, 1000 per folder)
#   --build-dir DIR   take tolvane-cli from DIR/src/cli (default: build)
# TOLVANE_CLI=/path/to/tolvane-cli overrides the program to time.
# Exits 0 whatever the PASS/FAIL marks say; non-zero only when a command fails.
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
files=200000
buildDir="$top/build"
while [ "$#" -gt 0 ]; do
  case "$1" in
    --files)
      [ "$#" -ge 2 ] || { echo "many_files: --files needs a number" >&2; exit 2; }
      files="$2"
      shift
      ;;
    --build-dir)
      [ "$#" -ge 2 ] || { echo "many_files: --build-dir needs a folder" >&2; exit 2; }
      buildDir="$2"
      shift
      ;;
    -h | --help)
      sed -n '2,9p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'
      exit 0
      ;;
    *) echo "many_files: unknown argument: $1" >&2; exit 2 ;;
  esac
  shift
done
if ! [[ "$files" =~ ^[1-9][0-9]*$ ]]; then
  echo "many_files: --files takes a positive whole number, not '$files'" >&2
  exit 2
fi
cli="${TOLVANE_CLI:-$buildDir/src/cli/tolvane-cli}"
timeTool=/usr/bin/time
for needed in "$cli" "$timeTool"; do
  if [ ! -x "$needed" ]; then
    echo "many_files: $needed not found (build with scripts/build.sh; install deps with scripts/install-deps.sh)" >&2
    exit 1
  fi
done
cli="$(realpath -- "$cli")"

work="$(mktemp -d "${TMPDIR:-/tmp}/tolvane-many.XXXXXX")"
trap 'rm -rf -- "$work"' EXIT
python3 - "$work/tree" "$files" <<'EOF'
import os, sys
root, count = sys.argv[1], int(sys.argv[2])
for i in range(count):
    folder = os.path.join(root, f"dir{i // 1000:04d}")
    if i % 1000 == 0:
        os.makedirs(folder)
    with open(os.path.join(folder, f"file-{i % 1000:04d}.txt"), "w") as f:
        f.write(f"content of file {i}\n")
EOF

# Run LABEL COMMAND...: times COMMAND in the work folder and prints a row.
worst=0
Run() {
  local label="$1"
  shift
  set +e
  (cd "$work" && exec "$timeTool" -f '%e %M' -o "$work/time.txt" "$@") >"$work/output.txt" 2>&1
  local status=$?
  set -e
  if [ "$status" -gt 1 ]; then
    echo "many_files: $label failed (exit $status):" >&2
    tail -n 20 "$work/output.txt" | sed 's/^/    /' >&2
    exit 1
  fi
  local seconds rss
  read -r seconds rss < <(tail -n 1 "$work/time.txt")
  [ "$rss" -gt "$worst" ] && worst="$rss"
  awk -v l="$label" -v s="$seconds" -v k="$rss" 'BEGIN {
    printf "  %-34s %7.2f s   peak RSS %6.1f MB   target < 64   %s\n",
      l, s, k / 1024, (k < 65536 ? "PASS" : "FAIL") }'
}

echo "many_files: $files files in $(find "$work/tree" -mindepth 1 -type d | wc -l) folders"
Run "pack (new archive)" "$cli" pack tree -o many.bh
Run "pack again (nothing changed)" "$cli" pack tree -o many.bh
Run "zip FOLDER (new archive)" "$cli" zip tree -o many.zip
Run "zip FOLDER again (nothing changed)" "$cli" zip tree -o many.zip
awk -v k="$worst" 'BEGIN { printf "many_files: highest peak %.1f MB\n", k / 1024 }'
