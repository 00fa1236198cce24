#!/usr/bin/env bash
# tavrin side by side with LibreCAD's `dxf2pdf -a` (a peer for comparison, never a dependency)
# on drawings that ezdxf wrote, and `batch --jobs 2` against `--jobs 1` on 40 small and on
# 40 medium drawings.
#
# Every case runs ROUNDS times (default 3), tavrin and the peer alternately, so that load
# from other processes on the machine hits both alike; the table shows the best round of
# each, as elapsed seconds and as CPU seconds (user + system: what the program itself
# spent, which other processes on a shared machine disturb far less). Peak memory is the largest resident size of tavrin's processes (GNU time's %M of the
# parent; workers are forks of it and are counted by their own %M, which is not larger).
#
# Usage: bench/peers.sh [BUILD_DIR]      (default: build)
#        CORPUS=DIR reuses a corpus that bench/make-corpus.py wrote; ROUNDS=N rounds;
#        LIMIT=S stops a run after S seconds (it then counts as failed).
set -euo pipefail
build=${1:-build}
rounds=${ROUNDS:-3}
limit=${LIMIT:-900}
here=$(cd "$(dirname "$0")/.." && pwd)
tavrin="$here/$build/bin/tavrin"
[ -x "$tavrin" ] || { echo "peers.sh: build first ($tavrin is missing)" >&2; exit 2; }

if ! command -v librecad >/dev/null; then
  echo "peers.sh: installing LibreCAD from Debian for the comparison"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq librecad >/dev/null
fi
export QT_QPA_PLATFORM=offscreen

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ -n "${CORPUS:-}" ]; then cp -r "$CORPUS" "$work/corpus"; else /usr/bin/python3 "$here/bench/make-corpus.py" "$work/corpus"; fi
export TAVRIN_PATH="$work/share" TAVRIN_PROFILE_DIR="$work/profile" CUPS_SERVER="$work/none.sock"
cp -r "$here/$build/share/tavrin" "$TAVRIN_PATH"
mkdir -p "$work/forty"
for n in $(seq 1 40); do cp "$work/corpus/small/$(printf %02d $(( (n - 1) % 20 + 1 ))).dxf" "$work/forty/$(printf %02d "$n").dxf"; done

# One measured run: copies the drawings named by the remaining arguments after "--" into a
# fresh directory, runs the command there (its "{}" stands for the copies) and prints
# "elapsed cpu kib ok". Both programs must prove that they plotted: LibreCAD's dxf2pdf writes
# each PDF next to its drawing whatever -o says, and reports a drawing it cannot open with
# exit status 0, so a run counts ("ok" = 1) only when its exit status is 0 and the directory
# then holds at least one new, complete PDF file per drawing. A failed run would otherwise show
# as an impressively short time. A run that takes longer than $LIMIT seconds (default 900) is
# stopped and fails: LibreCAD waits forever on some broken files.
measure() {
  local dir=$work/run.$RANDOM args=() copies=() src
  rm -rf "$dir"; mkdir -p "$dir"
  while [ "$1" != "--" ]; do args+=("$1"); shift; done; shift
  for src in "$@"; do cp "$src" "$dir/"; copies+=("$dir/$(basename "$src")"); done
  local cmd=() a
  for a in "${args[@]}"; do if [ "$a" = "{}" ]; then cmd+=("${copies[@]}"); else cmd+=("$a"); fi; done
  local status=0 times=${REPEAT:-1}
  # REPEAT=N runs the command N times one after another and reports the mean of one run: GNU
  # time counts in hundredths of a second, too coarse for a process that takes 15 ms.
  ( cd "$dir" && /usr/bin/time -f '%e %U %S %M' -o "$work/time" timeout "$limit" \
      sh -c 'n=$1; shift; for _ in $(seq "$n"); do "$@" || exit $?; done' sh "$times" "${cmd[@]}" \
      >"$work/log" 2>&1 ) || status=$?
  local pdfs
  pdfs=$(find "$dir" -name '*.pdf' -size +1k -exec sh -c 'tail -c 1024 "$1" | grep -q "%%EOF"' _ {} \; -print | wc -l)
  local ok=1
  if [ "$status" -ne 0 ] || [ "$pdfs" -lt "$#" ]; then
    ok=0
    echo "peers.sh: ${args[0]##*/} ${args[1]} wrote $pdfs of $# PDF files (exit status $status); its log:" >&2
    tail -3 "$work/log" >&2
  fi
  tail -1 "$work/time" | awk -v ok=$ok -v n="$times" '{ printf "%.4f %.4f %s %d\n", $1 / n, ($2 + $3) / n, $4, ok }'
  rm -rf "$dir"
}

best() { printf '%s\n' "$@" | sort -g | head -1; }

# A table cell: the best of the rounds, or "failed" when any round did not write its PDFs.
row() {
  local label=$1; shift
  local ours=() theirs=() ours_cpu=() theirs_cpu=() mem=0 secs cpu kib ok ours_ok=1 theirs_ok=1
  for _ in $(seq "$rounds"); do
    read -r secs cpu kib ok < <(eval "$OURS"); ours+=("$secs"); ours_cpu+=("$cpu"); (( kib > mem )) && mem=$kib
    (( ok )) || ours_ok=0
    read -r secs cpu kib ok < <(eval "$THEIRS"); theirs+=("$secs"); theirs_cpu+=("$cpu")
    (( ok )) || theirs_ok=0
  done
  awk -v l="$label" -v a="$(best "${ours[@]}")" -v b="$(best "${theirs[@]}")" \
    -v c="$(best "${ours_cpu[@]}")" -v d="$(best "${theirs_cpu[@]}")" -v m="$mem" \
    -v oa="$ours_ok" -v ob="$theirs_ok" '
    function cell(v, good) { return good ? sprintf("%7.3f", v) : " failed" }
    function ratio(x, y) { return (oa && ob && x > 0) ? sprintf("%5.1fx", y / x) : "    -" }
    BEGIN { printf "| %-26s | %s | %s | %s | %s | %s | %s | %6d |\n", l, cell(a, oa), cell(b, ob),
            ratio(a, b), cell(c, oa), cell(d, ob), ratio(c, d), m / 1024 }'
}

small=$work/corpus/small/01.dxf
echo "| case | tavrin s | LibreCAD s | ratio | tavrin CPU s | LibreCAD CPU s | CPU ratio | tavrin peak MiB |"
echo "|---|---:|---:|---:|---:|---:|---:|---:|"
OURS='REPEAT=10 measure "$tavrin" now {} --pdf --yes -- "$small"'
THEIRS='REPEAT=10 measure librecad dxf2pdf -a -o peer.pdf {} -- "$small"'
row "small (one process each)"
OURS='measure "$tavrin" batch . --pdf --yes --jobs 1 -- "$work"/corpus/small/*.dxf'
THEIRS='measure librecad dxf2pdf -a -o . {} -- "$work"/corpus/small/*.dxf'
row "20 small (one run)"
OURS='measure "$tavrin" now {} --pdf --yes -- "$work/corpus/medium.dxf"'
THEIRS='measure librecad dxf2pdf -a -o peer.pdf {} -- "$work/corpus/medium.dxf"'
row "20,000 entities"
OURS='measure "$tavrin" now {} --pdf --yes -- "$work/corpus/large.dxf"'
THEIRS='measure librecad dxf2pdf -a -o peer.pdf {} -- "$work/corpus/large.dxf"'
row "300,000 entities"

echo
echo "| 40 drawings, batch --pdf --dxf --mi | --jobs 1 s | --jobs 2 s | speed-up |"
echo "|---|---:|---:|---:|"
# the small drawings show the fixed costs of a run; copies of the medium one a run with work
mkdir -p "$work/forty-medium"
for n in $(seq 1 40); do cp "$work/corpus/medium.dxf" "$work/forty-medium/$(printf %02d "$n").dxf"; done
for set in forty forty-medium; do
  one=() two=()
  for _ in $(seq "$rounds"); do
    read -r secs _ _ ok < <(measure "$tavrin" batch . --pdf --dxf --mi --yes --jobs 1 -- "$work/$set"/*.dxf)
    (( ok )) && one+=("$secs")
    read -r secs _ _ ok < <(measure "$tavrin" batch . --pdf --dxf --mi --yes --jobs 2 -- "$work/$set"/*.dxf)
    (( ok )) && two+=("$secs")
  done
  label="small"; [ "$set" = forty-medium ] && label="20,000 entities each"
  if [ ${#one[@]} -eq 0 ] || [ ${#two[@]} -eq 0 ]; then echo "| $label | failed | failed | - |"; continue; fi
  awk -v l="$label" -v a="$(best "${one[@]}")" -v b="$(best "${two[@]}")" \
    'BEGIN { printf "| %s | %.3f | %.3f | %.2fx |\n", l, a, b, (b > 0 ? a / b : 0) }'
done
echo
echo "(best of $rounds alternating rounds; load average at the end: $(cut -d' ' -f1-3 /proc/loadavg))"
