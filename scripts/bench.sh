#!/usr/bin/env bash
# Benchmarks: the Google Benchmark programs of bench/, then the whole path "load a DXF drawing,
# measure, write the PDF" through the `tavrin` program on a corpus written by ezdxf, side by
# side with the peers that are installed (librecad dxf2pdf, ezdxf draw).
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")/.." && pwd)
bin="$here/$build/bin"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for b in "$bin"/*_bench; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" --benchmark_min_time=0.2 || echo "(failed: $b)"
done

echo "== corpus (ezdxf)"
/usr/bin/python3 "$here/bench/make-corpus.py" "$work/corpus"
export TAVRIN_PATH="$work/share" TAVRIN_PROFILE_DIR="$work/profile" CUPS_SERVER="$work/none.sock"
cp -r "$here/$build/share/tavrin" "$TAVRIN_PATH"

# seconds and peak memory (KiB) of one command, run in directory $1
measure() {
  local dir=$1; shift
  ( cd "$dir" && /usr/bin/time -f '%e %M' -o "$work/time" "$@" >/dev/null 2>&1 ) || true
  cat "$work/time" | tail -1
}

declare -A ours
run_ours() {
  local name=$1 dir=$2; shift 2
  read -r secs kib < <(measure "$dir" "$@")
  ours[$name]=$secs
  printf '  %-34s %8.2f s  %8d MiB\n' "tavrin $name" "$secs" "$((kib / 1024))"
}

out="$work/out"; mkdir -p "$out"
first_small="$work/corpus/small/01.dxf"
run_ours "small (one process each)" "$out" "$bin/tavrin" now "$first_small" --pdf --yes
run_ours "20 small (one process)" "$work/corpus/small" "$bin/tavrin" batch "$work/corpus/small" --pdf --yes
run_ours "medium 20,000" "$out" "$bin/tavrin" now "$work/corpus/medium.dxf" --pdf --yes
run_ours "large 300,000" "$out" "$bin/tavrin" now "$work/corpus/large.dxf" --pdf --yes

peer() {
  local label=$1 key=$2 dir=$3; shift 3
  read -r secs kib < <(measure "$dir" "$@")
  local ratio
  ratio=$(awk -v a="$secs" -v b="${ours[$key]}" 'BEGIN { if (b > 0) printf "%.1f", a / b; else print "-" }')
  printf '  %-34s %8.2f s  %8d MiB   tavrin is %s x faster\n' "$label" "$secs" "$((kib / 1024))" "$ratio"
}

if command -v librecad >/dev/null; then
  echo "== librecad dxf2pdf -a"
  peer "small (one process each)" "small (one process each)" "$out" librecad dxf2pdf -a -o "$out/peer.pdf" "$first_small"
  peer "20 small (one process)" "20 small (one process)" "$out" librecad dxf2pdf -a -o "$out" "$work"/corpus/small/*.dxf
  peer "medium 20,000" "medium 20,000" "$out" librecad dxf2pdf -a -o "$out/peer.pdf" "$work/corpus/medium.dxf"
  peer "large 300,000" "large 300,000" "$out" librecad dxf2pdf -a -o "$out/peer.pdf" "$work/corpus/large.dxf"
else
  echo "(librecad not installed: no side-by-side figures for it)"
fi
if /usr/bin/python3 -c 'import matplotlib' 2>/dev/null; then
  echo "== ezdxf draw"
  peer "small (one process each)" "small (one process each)" "$out" /usr/bin/python3 -m ezdxf draw -o "$out/peer.pdf" "$first_small"
  peer "medium 20,000" "medium 20,000" "$out" /usr/bin/python3 -m ezdxf draw -o "$out/peer.pdf" "$work/corpus/medium.dxf"
else
  echo "(ezdxf draw needs matplotlib, which is not installed: no side-by-side figures for it)"
fi
