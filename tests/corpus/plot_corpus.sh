#!/usr/bin/env bash
# Loads and plots every DXF file of ../shared/dxf-corpus with the `tavrin` program given,
# one file per run, and fails on a crash, a sanitizer report, a time-out or an exit status
# other than 0 (plotted), 1 (problems reported) and 2 (the drawing could not be loaded, with
# the reason). Files run two at a time.
#   plot_corpus.sh TAVRIN SHARE_DIR CORPUS_DIR [SECONDS_PER_FILE]
# Exits 77 (skipped) with a message when the corpus folder is absent.
set -uo pipefail
tavrin=$(realpath "$1") share=$(realpath "$2") corpus=$3 limit=${4:-300}
if [[ ! -d $corpus ]]; then
  echo "SKIPPED: no DXF corpus at $corpus (it lies beside the repository in ../shared)"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TAVRIN_PROFILE_DIR=$work/profile CUPS_SERVER=$work/no-cups.sock
here=$(cd "$(dirname "$0")/../.." && pwd)
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$here/tests/fuzz/lsan.supp}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}:abort_on_error=0
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}:halt_on_error=1
mkdir -p "$work/profile"
# A first start writes the printer and style tables into the installation tree: a copy
# keeps the build's own tree as it was built.
cp -r "$share" "$work/share"
share=$work/share

one() {
  local file=$1 n=$2
  local dir="$work/$n" log="$work/$n.log"
  mkdir -p "$dir"
  (cd "$dir" && timeout -k 10 "$limit" "$tavrin" --path "$share" now "$file" --pdf --yes) >"$log" 2>&1
  local status=$?
  local verdict=ok
  if [[ $status -eq 124 || $status -eq 137 ]]; then
    verdict="time-out after ${limit}s"
  elif grep -qE 'ERROR: (Address|Leak)Sanitizer|runtime error:' "$log"; then
    verdict="sanitizer report"
  elif [[ $status -gt 2 ]]; then
    verdict="exit status $status"
  fi
  if [[ $verdict != ok ]]; then
    echo "FAIL $file: $verdict"
    sed 's/^/    /' "$log" | head -40
  fi
  rm -rf "$dir"
}
export -f one
export tavrin share limit work

mapfile -d '' files < <(find "$corpus" -type f -iname '*.dxf' -print0 | sort -z)
echo "plotting ${#files[@]} corpus files"
for i in "${!files[@]}"; do printf '%s\0%s\0' "${files[$i]}" "$i"; done |
  xargs -0 -n 2 -P 2 bash -c 'one "$0" "$1"' >"$work/report" 2>&1
failed=$(grep -c '^FAIL' "$work/report" || true)
cat "$work/report"
echo "${#files[@]} files, $((${#files[@]} - failed)) passed, $failed failed"
[[ $failed -eq 0 ]]
