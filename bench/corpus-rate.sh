#!/usr/bin/env bash
# The whole path on real drawings: one directory run (`batch --pdf --jobs 1`) over the DXF
# files of the shared corpus (those outside broken/), as MB of DXF per CPU second (user +
# system of the run and its workers), beside the same files read alone by our DXF reader.
#   bench/corpus-rate.sh [corpus-dir]     (default ../shared/dxf-corpus; ROUNDS=3 runs, best)
# Slow: never part of ctest.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-build}
corpus=${1:-$here/../shared/dxf-corpus}
rounds=${ROUNDS:-3}
tavrin="$here/$build/bin/tavrin"
[ -x "$tavrin" ] || { echo "corpus-rate.sh: build first ($tavrin is missing)" >&2; exit 2; }
[ -d "$corpus" ] || { echo "corpus-rate.sh: no corpus at $corpus" >&2; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TAVRIN_PATH="$work/share" TAVRIN_PROFILE_DIR="$work/profile" CUPS_SERVER="$work/none.sock"
cp -r "$here/$build/share/tavrin" "$TAVRIN_PATH"
mkdir -p "$work/in"
n=0
while IFS= read -r -d '' f; do
  n=$((n + 1)); cp "$f" "$work/in/$(printf %03d "$n")-$(basename "$f")"
done < <(find "$corpus" -path "$corpus/broken" -prune -o -type f -iname '*.dxf' -print0 | sort -z)
bytes=$(cat "$work"/in/* | wc -c)
echo "files: $n, DXF: $(awk -v b="$bytes" 'BEGIN { printf "%.1f", b / 1e6 }') MB, load average: $(cut -d' ' -f1-3 /proc/loadavg)"

best=""
for _ in $(seq "$rounds"); do
  rm -rf "$work/out"; mkdir -p "$work/out"
  ( cd "$work/out" && /usr/bin/time -f '%e %U %S %M' -o "$work/time" \
      "$tavrin" batch "$work/in" --pdf --yes --jobs 1 >"$work/log" 2>&1 ) || true
  # files with nothing to plot (solid models only, no entities) make the run's status 1
  cpu=$(tail -1 "$work/time" | awk '{ printf "%.3f", $2 + $3 }')
  pdfs=$(find "$work/in" -name '*.pdf' | wc -l)
  echo "run: $(tail -1 "$work/time" | cut -d' ' -f1) s elapsed, $cpu s CPU, $pdfs PDF files, peak $(tail -1 "$work/time" | awk '{ print int($4 / 1024) }') MiB"
  if [ -z "$best" ] || awk -v a="$cpu" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$cpu; fi
  find "$work/in" -name '*.pdf' -delete
done
awk -v b="$bytes" -v c="$best" 'BEGIN { printf "whole path: %.1f MB of DXF per CPU second (best %.3f s)\n", b / 1e6 / c, c }'
