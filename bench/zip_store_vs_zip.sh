#!/usr/bin/env bash
# Times `tolvane-cli zip` storing one large incompressible ".bh" file (as the
# monetize job stores its BH archive) against Info-ZIP `zip -0`, without and
# with a password, and reports time ratios and tolvane's peak memory.
# Usage: bench/zip_store_vs_zip.sh [--size-mb N] [--build-dir DIR]
# Exits 0 whatever the PASS/FAIL marks say; non-zero only when a command fails.
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
sizeMb=1024
buildDir="$top/build"
while [ "$#" -gt 0 ]; do
  case "$1" in
    --size-mb) sizeMb="$2"; shift ;;
    --build-dir) buildDir="$(cd "$2" && pwd)"; shift ;;
    -h | --help) sed -n '2,6p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "zip_store_vs_zip: unknown argument: $1" >&2; exit 2 ;;
  esac
  shift
done
cli="${TOLVANE_CLI:-$buildDir/src/cli/tolvane-cli}"
for needed in "$cli" zip /usr/bin/time python3; do
  command -v "$needed" >/dev/null 2>&1 || { echo "zip_store_vs_zip: $needed not found" >&2; exit 2; }
done

work="$(mktemp -d /tmp/tolvane-zipbench.XXXXXX)"
trap 'rm -rf "$work"' EXIT
cd "$work"
echo "making a ${sizeMb} MB incompressible file ..."
python3 - "$sizeMb" <<'PY'
import random, sys
rng = random.Random(20261208)
with open("Docs.bh", "wb") as f:
    for _ in range(int(sys.argv[1])):
        f.write(rng.randbytes(1 << 20))
PY
printf 'benchmark-password\n' > pw
cat Docs.bh > /dev/null

# Best of two runs: "seconds peak-KB".
Measure() {
  local best="" rss="" t m
  for _ in 1 2; do
    rm -f out.zip
    /usr/bin/time -f '%e %M' -o timing "$@" >/dev/null
    read -r t m < timing
    if [ -z "$best" ] || awk -v a="$t" -v b="$best" 'BEGIN{exit !(a<b)}'; then best="$t"; rss="$m"; fi
  done
  echo "$best $rss"
}

read -r tPlain rssPlain < <(Measure "$cli" zip Docs.bh -o out.zip)
read -r zPlain _ < <(Measure zip -0 -q out.zip Docs.bh)
read -r tEnc rssEnc < <(Measure "$cli" zip Docs.bh -o out.zip --password-file pw)
read -r zEnc _ < <(Measure zip -0 -q -P benchmark-password out.zip Docs.bh)

Row() { # label tolvane zip rss
  awk -v l="$1" -v t="$2" -v z="$3" -v r="$4" 'BEGIN{
    ratio = t / z; mem = r / 1024
    printf "  %-22s tolvane %6.2f s   zip %6.2f s   ratio %.3f (<= 1.00 %s)   peak RSS %.1f MB (< 64 %s)\n",
      l, t, z, ratio, (ratio <= 1.0 ? "PASS" : "FAIL"), mem, (mem < 64 ? "PASS" : "FAIL") }'
}
echo "file: ${sizeMb} MB incompressible, stored as Docs.bh; best of two runs"
Row "stored" "$tPlain" "$zPlain" "$rssPlain"
Row "stored, password" "$tEnc" "$zEnc" "$rssEnc"
rm -f out.zip
"$cli" zip Docs.bh -o out.zip --password-file pw >/dev/null
if unzip -tqq -P benchmark-password out.zip; then
  echo "  check: unzip -t accepts the encrypted archive"
else
  echo "zip_store_vs_zip: unzip -t rejected tolvane's archive" >&2
  exit 1
fi
