#!/usr/bin/env bash
# Installs every Debian package tavrin needs to build, test, run the demo and the benchmarks.
# Safe to run twice; does nothing when everything is present.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang ccache pkg-config make git
  libcairo2-dev fonts-dejavu-core
  libcups2-dev cups cups-client cups-filters printer-driver-cups-pdf
  libdxflib-dev libarchive-dev libcli11-dev libfmt-dev
  qt6-base-dev libgl-dev xvfb xauth
  libgtest-dev libgmock-dev libbenchmark-dev
  poppler-utils qpdf python3-ezdxf zip unzip
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ "${#missing[@]}" -eq 0 ]; then
  echo "install-deps: all ${#packages[@]} packages present"
  exit 0
fi

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
