#!/usr/bin/env bash
# Runs `tavrin now` over every DXF file under DIR, one process per file with a time limit, and
# prints a line per file (status, sheets, PDFs, seconds, peak memory, first problem line) and a
# summary line. Statuses: ok (a PDF per sheet), partial (fewer PDFs than sheets), empty (nothing
# drawable, as tavrin reports it), error (no PDF, with tavrin's message), crash (killed by a
# signal), timeout. Exit status 0 when no file crashed or timed out, 1 otherwise, 2 for bad use.
set -uo pipefail

usage() {
  cat <<'USAGE'
usage: scripts/corpus-check.sh [--build DIR] [--timeout SECONDS] [--keep OUTDIR] [--options "..."] DIR

  DIR               directory searched (recursively) for *.dxf files, in name order
  --build DIR       build directory holding bin/tavrin and share/tavrin (default: build)
  --timeout SECONDS time limit per file (default: 120)
  --keep OUTDIR     keep each file's outputs in OUTDIR/<path under DIR>/ (default: discarded)
  --options "..."   further options of `tavrin now` (e.g. "--monochrome")
USAGE
}

here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build"
limit=120
keep=""
options=""
dir=""
while [ $# -gt 0 ]; do
  case $1 in
    --build) build=$(cd "$2" && pwd) || exit 2; shift 2 ;;
    --timeout) limit=$2; shift 2 ;;
    --keep) mkdir -p "$2" && keep=$(cd "$2" && pwd) || exit 2; shift 2 ;;
    --options) options=$2; shift 2 ;;
    -h|--help) usage; exit 0 ;;
    -*) usage >&2; exit 2 ;;
    *) [ -z "$dir" ] || { usage >&2; exit 2; }; dir=$1; shift ;;
  esac
done
[ -n "$dir" ] || { usage >&2; exit 2; }
[ -d "$dir" ] || { echo "corpus-check: $dir is not a directory" >&2; exit 2; }
tavrin="$build/bin/tavrin"
[ -x "$tavrin" ] || { echo "corpus-check: $tavrin not found (build first)" >&2; exit 2; }
dir=$(cd "$dir" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The runs use a private copy of the installation tree and profile, and no print server.
export TAVRIN_PATH="$work/share" TAVRIN_PROFILE_DIR="$work/profile" CUPS_SERVER="$work/none.sock"
cp -r "$build/share/tavrin" "$TAVRIN_PATH"
mkdir -p "$TAVRIN_PROFILE_DIR"

declare -A count=()
total=0 seconds_sum=0 peak_max=0
printf '%-8s %6s %4s %8s %8s  %s\n' STATUS SHEETS PDFS SECONDS PEAK_MB FILE

while IFS= read -r -d '' file; do
  rel=${file#"$dir"/}
  out="$work/out"
  rm -rf "$out" && mkdir -p "$out"
  # MI files stand for the sheets: one per sheet, as the run saves them.
  ( cd "$out" && /usr/bin/time -f '%e %M' -o "$work/time" \
      timeout --kill-after=5 "$limit" "$tavrin" now "$file" --pdf --mi --no-dxf --no-print \
      --no-history-pdf --yes $options >"$work/log" 2>&1 )
  rc=$?
  read -r secs peak_kb < <(grep -E '^[0-9.]+ [0-9]+$' "$work/time" | tail -1)
  secs=${secs:-0} peak_kb=${peak_kb:-0}
  sheets=$(find "$out" -maxdepth 1 -iname '*.mi' | wc -l)
  pdfs=$(find "$out" -maxdepth 1 -iname '*.pdf' | wc -l)
  # the first line that is not the run's own talk; failing that, the first note of the reader
  normal='^(Die aktuelle Zeichnung jetzt ausgeben|-> Ja|Die Ausgabe ist abgeschlossen|Die Drucker- und Plotstiltabellen| Bitte die Formatzuordnungen|-{10,}|[[:space:]]*$)'
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
  count[$status]=$(( ${count[$status]:-0} + 1 ))
  total=$((total + 1))
  seconds_sum=$(awk -v a="$seconds_sum" -v b="$secs" 'BEGIN { print a + b }')
  peak_mb=$(( (peak_kb + 1023) / 1024 ))
  [ "$peak_mb" -gt "$peak_max" ] && peak_max=$peak_mb
  printf '%-8s %6s %4s %8s %8s  %s%s\n' "$status" "$sheets" "$pdfs" "$secs" "$peak_mb" "$rel" \
    "${problem:+  | $problem}"
  if [ -n "$keep" ]; then
    mkdir -p "$keep/$rel" && cp -r "$out/." "$work/log" "$keep/$rel/"
  fi
done < <(find "$dir" -type f -iname '*.dxf' -print0 | sort -z)

summary="$total files:"
for s in ok partial empty error crash timeout; do summary+=" ${count[$s]:-0} $s,"; done
printf '%s %s s in all, peak %s MB\n' "${summary%,};" "$seconds_sum" "$peak_max"
[ "${count[crash]:-0}" -eq 0 ] && [ "${count[timeout]:-0}" -eq 0 ]
