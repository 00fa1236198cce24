#!/usr/bin/env bash
# The main job on the shipped examples: a directory run with PDF, DXF and MI output and every
# file marked, into a fresh output directory; then a listing of what it wrote.
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")/.." && pwd)
out=${DEMO_DIR:-$here/demo-output}

rm -rf "$out"
mkdir -p "$out"
# Only the drawing files: the scripts that made some of them are no drawings.
find "$here/examples" -maxdepth 1 -type f \( -name '*.mi' -o -name '*.dxf' -o -name '*.bdl' \) \
  -exec cp {} "$out/" \;
# The demo works on its own copy of the installation tree, so nothing in the build changes.
export TAVRIN_PATH="$out/.tavrin"
cp -r "$here/$build/share/tavrin" "$TAVRIN_PATH"
export TAVRIN_PROFILE_DIR="$out/.profile"

echo "== tavrin batch $out --pdf --dxf --mi --yes"
status=0
"$here/$build/bin/tavrin" batch "$out" --pdf --dxf --mi --yes || status=$?
echo
echo "== written into $out"
(cd "$out" && ls -l -- *.pdf *.dxf *.mi *.org 2>/dev/null | sed 's/^/  /') || true
if command -v pdfinfo >/dev/null; then
  for f in "$out"/*.pdf; do
    [ -e "$f" ] || continue
    printf '  %-40s %s\n' "$(basename "$f")" "$(pdfinfo "$f" | sed -n 's/^Page size: *//p')"
  done
fi
echo
echo "exit status of the run: $status (1 means it reported problems, such as the empty example file)"
# The examples hold an empty file on purpose, so a status of 1 is the expected outcome.
[ "$status" -le 1 ]
