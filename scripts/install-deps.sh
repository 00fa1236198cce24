#!/usr/bin/env bash
# Installs every Debian package tavrin needs to build, test, run the demo and the benchmarks.
# Safe to run twice; does nothing when everything is present.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang ccache pkg-config make git
  libcairo2-dev libfontconfig-dev fonts-dejavu-core fonts-liberation
  libcups2-dev cups cups-client cups-filters printer-driver-cups-pdf
  libdxflib-dev libpolyclipping-dev libarchive-dev libjpeg-dev libcli11-dev libfmt-dev nlohmann-json3-dev
  qt6-base-dev libgl-dev xvfb xauth
  libgtest-dev libgmock-dev libbenchmark-dev
  libqpdf-dev libdeflate-dev zlib1g-dev poppler-utils qpdf python3-ezdxf python3-numpy python3-jsonschema zip unzip locales gettext
  help2man dpkg-dev fakeroot file  # the Debian package (make package)
  desktop-file-utils bash-completion man-db  # its checks: menu entry, completion, manual
  imagemagick openbox              # screenshots of the desktop program under Xvfb
  slurm-wlm munge parallel         # the cluster tests: a private Slurm cluster, GNU parallel
  qt6-translations-l10n            # the desktop program's standard dialogs in German
  nodejs                           # runs the DWG converter (LibreDWG as WebAssembly)
)
# npm installs the converter's LibreDWG package; a Node from elsewhere may bring its own npm.
command -v npm >/dev/null || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
if [ "${#missing[@]}" -eq 0 ]; then
  echo "install-deps: all ${#packages[@]} packages present"
else
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The number readers are tested under a comma-decimal locale, so one must exist.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  echo "install-deps: generating the locale de_DE.UTF-8"
  $SUDO sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi

# The DWG converter's LibreDWG package (WebAssembly), at the version its lock file pins, into
# the converter's private folder of the installation tree (share/tavrin/dwg/node_modules, not
# tracked); the build copies it beside the programs and `make package` ships it. After this,
# nothing reaches the network.
dwg_dir="$(cd "$(dirname "$0")/.." && pwd)/share/tavrin/dwg"
pinned=$(sed -n 's/.*"@mlightcad\/libredwg-web": *"\([^"]*\)".*/\1/p' "$dwg_dir/package.json")
installed=$(sed -n 's/^ *"version": *"\([^"]*\)".*/\1/p' \
  "$dwg_dir/node_modules/@mlightcad/libredwg-web/package.json" 2>/dev/null | head -1 || true)
if [ "$installed" != "$pinned" ] ||
   [ ! -f "$dwg_dir/node_modules/@mlightcad/libredwg-web/wasm/libredwg-web.wasm" ]; then
  echo "install-deps: installing LibreDWG for the DWG converter (@mlightcad/libredwg-web $pinned)"
  (cd "$dwg_dir" && npm ci --no-audit --no-fund --ignore-scripts --loglevel=error)
fi
