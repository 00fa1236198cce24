#!/usr/bin/env bash
# Runs `tavrin now` over every DWG file under DIR, one process per file with a time limit, and
# prints a line per file: status, sheets, PDFs, seconds, peak memory of tavrin and of the DWG
# converter, and the first problem line. Statuses as scripts/corpus-check.sh gives them: ok,
# partial, empty, error, crash, timeout. A DWG with a DXF twin beside it (NAME.twin.dxf) is
# compared with it: the same PDF names (sheets), page sizes within 1 pt, and the pages alike
# at 50 dpi (column TWIN: same, or what differs).
# With --runs, also a directory run over all DWG files with --jobs 1 and with --jobs 2 (their
# outputs must be the same files with the same pages) against converting every file in a
# Node process of its own.
# Exit status 0 when no file crashed or timed out and every twin matched, 1 otherwise, 2 for
# bad use.
set -uo pipefail

usage() {
  cat <<'USAGE'
usage: scripts/dwg-check.sh [--build DIR] [--timeout SECONDS] [--keep OUTDIR] [--runs] DIR

  DIR               directory searched (recursively) for *.dwg files, in name order
  --build DIR       build directory holding bin/tavrin and share/tavrin (default: build)
  --timeout SECONDS time limit per file (default: 120)
  --keep OUTDIR     keep each file's outputs in OUTDIR/<path under DIR>/ (default: discarded)
  --runs            also compare directory runs with --jobs 1 and 2, and time them against
                    one Node process per file
USAGE
}

here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build"
limit=120
keep=""
dir=""
runs=0
while [ $# -gt 0 ]; do
  case $1 in
    --build) build=$(cd "$2" && pwd) || exit 2; shift 2 ;;
    --timeout) limit=$2; shift 2 ;;
    --keep) mkdir -p "$2" && keep=$(cd "$2" && pwd) || exit 2; shift 2 ;;
    --runs) runs=1; shift ;;
    -h|--help) usage; exit 0 ;;
    -*) usage >&2; exit 2 ;;
    *) [ -z "$dir" ] || { usage >&2; exit 2; }; dir=$1; shift ;;
  esac
done
[ -n "$dir" ] || { usage >&2; exit 2; }
[ -d "$dir" ] || { echo "dwg-check: $dir is not a directory" >&2; exit 2; }
tavrin="$build/bin/tavrin"
[ -x "$tavrin" ] || { echo "dwg-check: $tavrin not found (build first)" >&2; exit 2; }
dir=$(cd "$dir" && pwd)
"$tavrin" --version | sed -n 2p

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TAVRIN_PATH="$work/share" TAVRIN_PROFILE_DIR="$work/profile" CUPS_SERVER="$work/none.sock"
cp -r "$build/share/tavrin" "$TAVRIN_PATH"
mkdir -p "$TAVRIN_PROFILE_DIR"

# Two PDF files alike: the same page count and sizes (1 pt), and at 50 dpi no more than 1 % of
# the ink of either page without ink of the other within one pixel. Prints "same" or why not.
compare_pdfs() {
  /usr/bin/python3 - "$1" "$2" "$work/cmp" <<'PY'
import os, subprocess, sys
import numpy as np
a, b, tmp = sys.argv[1:4]
def info(pdf):
    out = subprocess.run(["pdfinfo", "-f", "1", "-l", "9999", pdf], capture_output=True, text=True).stdout
    return [tuple(float(x) for x in l.split(":", 1)[1].split("pts")[0].split(" x "))
            for l in out.splitlines() if l.startswith("Page") and "size:" in l]
ia, ib = info(a), info(b)
if len(ia) != len(ib):
    sys.exit(print(f"pages {len(ia)} != {len(ib)}"))
for (wa, ha), (wb, hb) in zip(ia, ib):
    if abs(wa - wb) > 1 or abs(ha - hb) > 1:
        sys.exit(print(f"page {wa:.0f}x{ha:.0f} != {wb:.0f}x{hb:.0f} pt"))
def pages(pdf, name):
    os.makedirs(tmp, exist_ok=True)
    subprocess.run(["pdftoppm", "-r", "50", "-gray", pdf, f"{tmp}/{name}"], check=True)
    files = sorted(f for f in os.listdir(tmp) if f.startswith(name + "-"))
    return [np.array(open_pgm(f"{tmp}/{f}")) for f in files]
def open_pgm(path):
    data = open(path, "rb").read()
    head = data.split(maxsplit=4)
    w, h = int(head[1]), int(head[2])
    return np.frombuffer(data[len(data) - w * h:], dtype=np.uint8).reshape(h, w)
def lonely(x, y):
    ink = y < 200
    padded = np.pad(ink, 1)
    near = np.zeros_like(ink)
    for dy in range(3):
        for dx in range(3):
            near |= padded[dy:dy + ink.shape[0], dx:dx + ink.shape[1]]
    mine = x < 200
    return int((mine & ~near).sum()), int(mine.sum())
for n, (pa, pb) in enumerate(zip(pages(a, "a"), pages(b, "b")), 1):
    if pa.shape != pb.shape:
        sys.exit(print(f"page {n}: raster {pa.shape} != {pb.shape}"))
    for x, y, who in ((pa, pb, "DWG"), (pb, pa, "DXF")):
        miss, ink = lonely(x, y)
        if miss > max(20, ink // 100):
            sys.exit(print(f"page {n}: {miss} of {ink} ink pixels only in the {who}"))
for f in os.listdir(tmp):
    os.remove(f"{tmp}/{f}")
print("same")
PY
}

declare -A count=()
total=0 seconds_sum=0 peak_max=0 conv_max=0 twins=0 twins_same=0
printf '%-8s %6s %4s %8s %7s %7s  %-6s %s\n' STATUS SHEETS PDFS SECONDS TAV_MB CONV_MB TWIN FILE

while IFS= read -r -d '' file; do
  rel=${file#"$dir"/}
  out="$work/out"
  rm -rf "$out" && mkdir -p "$out"
  ( cd "$out" && TAVRIN_DWG_STATS=1 /usr/bin/time -f '%e %M' -o "$work/time" \
      timeout --kill-after=5 "$limit" "$tavrin" now "$file" --pdf --mi --no-dxf --no-print \
      --no-history-pdf --yes >"$work/log" 2>&1 )
  rc=$?
  read -r secs _ < <(grep -E '^[0-9.]+ [0-9]+$' "$work/time" | tail -1)
  secs=${secs:-0}
  # tavrin's own peak and the converter's, as tavrin reports them with TAVRIN_DWG_STATS
  tav_kb=$(sed -n 's/^dwg-stats: tavrin peak \([0-9]*\) KB$/\1/p' "$work/log" | tail -1)
  conv_kb=$(sed -n 's/^dwg-stats: converter peak \([0-9]*\) KB$/\1/p' "$work/log" | tail -1)
  tav_mb=$(( (${tav_kb:-0} + 1023) / 1024 )) conv_mb=$(( (${conv_kb:-0} + 1023) / 1024 ))
  sheets=$(find "$out" -maxdepth 1 -iname '*.mi' | wc -l)
  pdfs=$(find "$out" -maxdepth 1 -iname '*.pdf' | wc -l)
  normal='^(Die aktuelle Zeichnung jetzt ausgeben|-> Ja|Die Ausgabe ist abgeschlossen|Die Drucker- und Plotstiltabellen| Bitte die Formatzuordnungen|-{10,}|dwg-stats:|[[:space:]]*$)'
  notes=': (drawing units are|the file ends without EOF|a value longer than)'
  problem=$(grep -v -E -e "$normal" -e "$notes" "$work/log" | head -1 | cut -c1-200)
  [ -n "$problem" ] || problem=$(grep -E -e "$notes" "$work/log" | head -1 | cut -c1-200)
  if [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ]; then
    status=timeout problem="no result after ${limit} s"
  elif [ "$rc" -gt 128 ]; then
    status=crash problem="killed by signal $((rc - 128)); ${problem}"
  elif [ "$pdfs" -gt 0 ] && [ "$pdfs" -ge "$sheets" ]; then
    status=ok
  elif [ "$pdfs" -gt 0 ]; then
    status=partial
  elif grep -q 'nichts Zeichenbares' "$work/log"; then
    status=empty
  else
    status=error
  fi
  # The twin, under the DWG's base name so that its outputs carry the same names.
  twin=${file%.*}.twin.dxf verdict="-"
  if [ -f "$twin" ]; then
    twins=$((twins + 1))
    tw="$work/twin" && rm -rf "$tw" && mkdir -p "$tw"
    base=$(basename "${file%.*}")
    cp "$twin" "$tw/$base.dxf"
    ( cd "$tw" && timeout --kill-after=5 "$limit" "$tavrin" now "$base.dxf" --pdf --no-mi \
        --no-dxf --no-print --no-history-pdf --yes >"$work/twin.log" 2>&1 )
    a=$(cd "$out" && ls -- *.pdf 2>/dev/null | sort) b=$(cd "$tw" && ls -- *.pdf 2>/dev/null | sort)
    if [ "$a" != "$b" ]; then
      verdict="sheets" problem="twin PDFs: $(echo $b) / DWG PDFs: $(echo $a)"
    else
      verdict="same"
      for p in $a; do
        why=$(compare_pdfs "$out/$p" "$tw/$p")
        [ "$why" = same ] || { verdict="differs" problem="$p: $why"; break; }
      done
    fi
    [ "$verdict" = same ] && twins_same=$((twins_same + 1))
  fi
  count[$status]=$(( ${count[$status]:-0} + 1 ))
  total=$((total + 1))
  seconds_sum=$(awk -v a="$seconds_sum" -v b="$secs" 'BEGIN { print a + b }')
  [ "$tav_mb" -gt "$peak_max" ] && peak_max=$tav_mb
  [ "$conv_mb" -gt "$conv_max" ] && conv_max=$conv_mb
  printf '%-8s %6s %4s %8s %7s %7s  %-6s %s%s\n' "$status" "$sheets" "$pdfs" "$secs" "$tav_mb" \
    "$conv_mb" "$verdict" "$rel" "${problem:+  | $problem}"
  if [ -n "$keep" ]; then
    mkdir -p "$keep/$rel" && cp -r "$out/." "$work/log" "$keep/$rel/"
  fi
done < <(find "$dir" -type f -iname '*.dwg' -print0 | sort -z)

summary="$total files:"
for s in ok partial empty error crash timeout; do summary+=" ${count[$s]:-0} $s,"; done
printf '%s %s s in all, peak %s MB (tavrin), %s MB (converter); twins %s of %s the same\n' \
  "${summary%,};" "$seconds_sum" "$peak_max" "$conv_max" "$twins_same" "$twins"
result=0
[ "${count[crash]:-0}" -eq 0 ] && [ "${count[timeout]:-0}" -eq 0 ] || result=1
[ "$twins_same" -eq "$twins" ] || result=1

if [ "$runs" -eq 1 ]; then
  # All DWG files flat in one directory, named after their path, for the directory runs.
  flat="$work/flat"
  mkdir -p "$flat"
  while IFS= read -r -d '' file; do
    rel=${file#"$dir"/}
    cp "$file" "$flat/${rel//\//_}"
  done < <(find "$dir" -type f -iname '*.dwg' -print0)
  for jobs in 1 2; do
    run="$work/run$jobs" && cp -r "$flat" "$run"
    start=$(date +%s.%N)
    "$tavrin" batch "$run" --pdf --no-print --no-history-pdf --jobs "$jobs" --yes \
      >"$work/run$jobs.log" 2>&1
    end=$(date +%s.%N)
    printf 'directory run --jobs %s: %.1f s, %s PDFs\n' "$jobs" \
      "$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')" "$(ls "$run"/*.pdf | wc -l)"
    (cd "$run" && for p in *.pdf; do pdfinfo "$p" | grep -E '^(Pages|Page size)'; done \
      | md5sum) >"$work/run$jobs.sum"
  done
  if [ "$(ls "$work/run1")" = "$(ls "$work/run2")" ] &&
     cmp -s "$work/run1.sum" "$work/run2.sum" &&
     diff <(grep -v '^dwg-stats' "$work/run1.log") <(grep -v '^dwg-stats' "$work/run2.log") >/dev/null; then
    echo "--jobs 2 wrote what --jobs 1 wrote (the same files, pages, page sizes and output lines)"
  else
    echo "--jobs 2 differs from --jobs 1:"
    diff <(ls "$work/run1") <(ls "$work/run2")
    diff "$work/run1.log" "$work/run2.log" | head -20
    result=1
  fi
  # The same conversions, one Node process per file.
  node=/usr/bin/node
  [ -x "$node" ] || node=$(command -v node)
  start=$(date +%s.%N)
  for f in "$flat"/*; do
    printf '{"in":"%s","out":"%s"}\n' "$f" "$work/one.dxf" |
      "$node" --liftoff-only "$build/share/tavrin/dwg/dwg2dxf.mjs" >/dev/null 2>&1
  done
  end=$(date +%s.%N)
  printf 'conversion alone, one Node process per file: %.1f s for %s files\n' \
    "$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')" "$(ls "$flat" | wc -l)"
  start=$(date +%s.%N)
  for f in "$flat"/*; do printf '{"in":"%s","out":"%s"}\n' "$f" "$work/one.dxf"; done |
    "$node" --liftoff-only "$build/share/tavrin/dwg/dwg2dxf.mjs" >/dev/null 2>&1
  end=$(date +%s.%N)
  printf 'conversion alone, one Node process kept up: %.1f s\n' \
    "$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')"
fi
exit $result
