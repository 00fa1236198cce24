#!/usr/bin/env bash
# Takes the screenshots in docs/ the way a person sees the desktop program: under Xvfb with a
# window manager (for title bars), each picture the whole screen taken with ImageMagick's
# `import -window root`. The drawing of the main window is the DXF example with paper-space
# layouts (examples/welle.dxf, written by python3-ezdxf), shown on its first layout sheet;
# SCREENSHOT_DXF names another. Each picture is taken in both languages: German under its
# plain name (screenshot-main.png), English with -en (screenshot-main-en.png).
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")/.." && pwd)
out=${SCREENSHOT_DIR:-$here/docs}
dxf=${SCREENSHOT_DXF:-$here/examples/welle.dxf}
[ -f "$dxf" ] || { echo "screenshots: $dxf not found" >&2; exit 1; }
mkdir -p "$out"
export TAVRIN_SCREENSHOT_DXF=$dxf QT_QPA_PLATFORM=xcb
for lang in de en; do
  shots=$(mktemp -d)
  export HOME=$(mktemp -d)  # a first start: the default window and dock layout
  # At QT_SCALE_FACTOR=2 the same pictures need SCREENSHOT_SCREEN=2880x1800.
  TAVRIN_LANGUAGE=$lang TAVRIN_SCREENSHOT_DIR=$shots \
    xvfb-run -a -s "-screen 0 ${SCREENSHOT_SCREEN:-1440x900}x24" bash -c '
    openbox >/dev/null 2>&1 &
    sleep 1
    "$0" screenshots
  ' "$here/$build/bin/gui_desktop_tests"
  suffix=$([ "$lang" = de ] && echo "" || echo "-$lang")
  for f in "$shots"/screenshot-*.png; do
    mv "$f" "$out/$(basename "$f" .png)$suffix.png"
  done
  rm -rf "$shots"
done
ls -l "$out"/screenshot-*.png
