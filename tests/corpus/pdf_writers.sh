#!/usr/bin/env bash
# Plots DXF files with both PDF writers (tavrin's own vector content and, with
# TAVRIN_PDF_VECTORS=cairo, cairo's) and fails when they differ: other PDF files, page
# counts or sizes, texts (pdftotext), a picture that differs beyond anti-aliasing
# (raster_diff.py), a file qpdf --check rejects, or our file being larger. Prints one
# line per PDF (sizes, the number of cairo runs on its pages) and a summary.
#   pdf_writers.sh [--made] TAVRIN SHARE_DIR FILE_OR_DIR...
# --made adds the drawings of writer_cases.py. Exits 77 (skipped) with a message when a
# directory named is absent and nothing else is to be compared.
set -uo pipefail
made=false
if [[ ${1:-} == --made ]]; then
  made=true
  shift
fi
tavrin=$(realpath "$1") share=$(realpath "$2") here=$(cd "$(dirname "$0")" && pwd)
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TAVRIN_PROFILE_DIR=$work/profile CUPS_SERVER=$work/no-cups.sock
mkdir -p "$work/profile"
cp -r "$share" "$work/share"
share=$work/share

files=()
if $made; then
  /usr/bin/python3 "$here/writer_cases.py" "$work/made" || exit 1
  mapfile -d '' files < <(find "$work/made" -type f -name '*.dxf' -print0 | sort -z)
fi
for arg in "$@"; do
  if [[ ! -e $arg ]]; then
    echo "SKIPPED: no DXF files at $arg (the shared corpus lies beside the repository in ../shared)"
  elif [[ -d $arg ]]; then
    mapfile -d '' -O "${#files[@]}" files < <(find "$arg" -type f -iname '*.dxf' -print0 | sort -z)
  else
    files+=("$arg")
  fi
done

((${#files[@]} > 0)) || exit 77
failures=0 reordered=0 pdfs=0 own_total=0 cairo_total=0 runs_total=0 runs_max=0
fail() {
  echo "FAIL $1"
  failures=$((failures + 1))
}
for file in "${files[@]}"; do
  rm -rf "$work/own" "$work/cairo"
  mkdir -p "$work/own" "$work/cairo"
  (cd "$work/own" && TAVRIN_PDF_VECTORS=own timeout 300 "$tavrin" --path "$share" now "$file" \
    --pdf --yes) >/dev/null 2>&1
  (cd "$work/cairo" && TAVRIN_PDF_VECTORS=cairo timeout 300 "$tavrin" --path "$share" now "$file" \
    --pdf --yes) >/dev/null 2>&1
  own_list=$(cd "$work/own" && ls -- *.pdf 2>/dev/null)
  cairo_list=$(cd "$work/cairo" && ls -- *.pdf 2>/dev/null)
  if [[ $own_list != "$cairo_list" ]]; then
    fail "$file: other PDF files: [$own_list] against [$cairo_list]"
    continue
  fi
  while IFS= read -r pdf; do
    [[ -n $pdf ]] || continue
    a=$work/own/$pdf b=$work/cairo/$pdf
    pdfs=$((pdfs + 1))
    qpdf --check "$a" >/dev/null 2>&1 || fail "$file: $pdf: qpdf --check rejects it"
    [[ $(pdfinfo -f 1 -l 9999 "$a" | grep -E '^(Pages|Page .* size)') == \
      $(pdfinfo -f 1 -l 9999 "$b" | grep -E '^(Pages|Page .* size)') ]] ||
      fail "$file: $pdf: other pages or page sizes"
    # the same words at the same places (words_diff.py); pdftotext may take the words of
    # one line in another order when they moved by a fraction of a point: counted, not failed
    pdftotext -bbox "$a" "$work/a.html" 2>/dev/null
    pdftotext -bbox "$b" "$work/b.html" 2>/dev/null
    [[ $("$here/words_diff.py" "$work/a.html" "$work/b.html") == 0 ]] || fail "$file: $pdf: other text"
    order=""
    cmp -s <(pdftotext "$a" -) <(pdftotext "$b" -) || order=", pdftotext's order differs" reordered=$((reordered + 1))
    size_a=$(stat -c %s "$a") size_b=$(stat -c %s "$b")
    own_total=$((own_total + size_a)) cairo_total=$((cairo_total + size_b))
    ((size_a <= size_b)) || fail "$file: $pdf: $size_a bytes against cairo's $size_b"
    runs=$(qpdf --qdf --object-streams=disable "$a" - 2>/dev/null | grep -acE '^1 0 0 -1 0 [0-9.]+ cm$')
    runs_total=$((runs_total + runs))
    ((runs > runs_max)) && runs_max=$runs
    rm -f "$work"/p-* "$work"/q-*
    # 50 dots per inch, at most 1200 pixels a side, drawn by cairo's renderer (poppler's own
    # snaps thin lines to pixels in ways that depend on the clip)
    longest=$(pdfinfo "$b" | awk '/^Page size/ { print ($3 > $5 ? $3 : $5) }')
    dpi=$(awk -v l="$longest" 'BEGIN { r = 1200 * 72 / l; print (r > 50 ? 50 : r) }')
    pdftocairo -r "$dpi" -gray -png "$a" "$work/p" && pdftocairo -r "$dpi" -gray -png "$b" "$work/q"
    for png in "$work"/p-*.png; do
      other=$work/q-${png##*/p-}
      convert "$png" "$work/p.pgm" && convert "$other" "$work/q.pgm"
      differing=$("$here/raster_diff.py" "$work/p.pgm" "$work/q.pgm")
      pixels=$(($(identify -format '%w*%h' "$png")))
      # the renderer anti-aliases a line on a clip's edge or another line's edge by how the
      # clip and the numbers fall: up to 1 pixel in 2000 may differ beyond a shift
      ((differing <= 20 + pixels / 2000)) ||
        fail "$file: $pdf: page ${png##*/p-}: $differing of $pixels pixels differ"
    done
    echo "$file: $pdf: $size_a bytes (cairo $size_b), $runs cairo runs$order"
  done <<<"$own_list"
done
echo "pdf_writers: ${#files[@]} files, $pdfs PDFs, $failures failures, $reordered with words in" \
  "another order; own $own_total bytes," \
  "cairo $cairo_total bytes; cairo runs $runs_total in all, at most $runs_max on a page"
((failures == 0))
