#!/usr/bin/env bash
# Takes the screenshots in docs/ the way a person sees the desktop program: under Xvfb with a
# window manager (for title bars), each picture the whole screen taken with ImageMagick's
# `import -window root`. The drawing of the main window is a real DXF file of the corpus
# beside the repository (or, without it, the flange example).
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")/.." && pwd)
out=${SCREENSHOT_DIR:-$here/docs}
dxf=${SCREENSHOT_DXF:-$here/../shared/dxf-corpus/librecad/t-part.dxf}
[ -f "$dxf" ] || { echo "screenshots: $dxf not found, using the flange example"; dxf=""; }
mkdir -p "$out"
export HOME=$(mktemp -d)  # a first start: the default window and dock layout
export TAVRIN_SCREENSHOT_DIR=$out TAVRIN_SCREENSHOT_DXF=$dxf QT_QPA_PLATFORM=xcb
xvfb-run -a -s "-screen 0 1440x900x24" bash -c '
  openbox >/dev/null 2>&1 &
  sleep 1
  "$0" screenshots
' "$here/$build/bin/gui_desktop_tests"
ls -l "$out"/screenshot-*.png
