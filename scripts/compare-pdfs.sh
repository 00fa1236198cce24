#!/usr/bin/env bash
# Compares the PDF files of two output trees (as scripts/corpus-check.sh --keep leaves them):
# every PDF of BEFORE must exist in AFTER with the same page count, page sizes and text
# (pdftotext). Prints a line per difference and a summary; exit status 0 when there is none.
#   scripts/compare-pdfs.sh BEFORE AFTER
set -uo pipefail
[ $# -eq 2 ] && [ -d "$1" ] && [ -d "$2" ] || { echo "usage: scripts/compare-pdfs.sh BEFORE AFTER" >&2; exit 2; }
before=$(cd "$1" && pwd) after=$(cd "$2" && pwd)
total=0 differ=0
while IFS= read -r -d '' pdf; do
  rel=${pdf#"$before"/}
  total=$((total + 1))
  other="$after/$rel"
  if [ ! -f "$other" ]; then
    echo "missing  $rel"; differ=$((differ + 1)); continue
  fi
  sizes() { pdfinfo -f 1 -l 9999 "$1" 2>/dev/null | grep -E '^(Pages|Page +[0-9]+ size)'; }
  if [ "$(sizes "$pdf")" != "$(sizes "$other")" ]; then
    echo "pages    $rel"; differ=$((differ + 1)); continue
  fi
  if [ "$(pdftotext -q "$pdf" - | md5sum)" != "$(pdftotext -q "$other" - | md5sum)" ]; then
    echo "text     $rel"; differ=$((differ + 1))
  fi
done < <(find "$before" -type f -iname '*.pdf' -print0 | sort -z)
echo "$total PDFs compared: $differ differ"
[ "$differ" -eq 0 ]
