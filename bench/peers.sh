#!/usr/bin/env bash
# tavrin side by side with LibreCAD's `dxf2pdf -a` (a peer for comparison, never a dependency)
# on drawings that ezdxf wrote, and `batch --jobs 2` against `--jobs 1` on 40 drawings.
#
# Every case runs ROUNDS times (default 3), tavrin and the peer alternately, so that load
# from other processes on the machine hits both alike; the table shows the best round of
# each, as elapsed seconds and as CPU seconds (user + system: what the program itself
# spent, which other processes on a shared machine disturb far less). Peak memory is the largest resident size of tavrin's processes (GNU time's %M of the
# parent; workers are forks of it and are counted by their own %M, which is not larger).
#
# Usage: bench/peers.sh [BUILD_DIR]      (default: build)
#        CORPUS=DIR reuses a corpus that bench/make-corpus.py wrote; ROUNDS=N rounds.
set -euo pipefail
build=${1:-build}
rounds=${ROUNDS:-3}
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

# "elapsed cpu kib" of one command, run in a fresh directory
measure() {
  local dir=$work/run.$RANDOM; mkdir -p "$dir"
  ( cd "$dir" && /usr/bin/time -f '%e %U %S %M' -o "$work/time" "$@" >/dev/null 2>&1 ) || true
  tail -1 "$work/time" | awk '{ printf "%s %.2f %s\n", $1, $2 + $3, $4 }'
  rm -rf "$dir"
}
fresh_copy() { rm -rf "$work/in"; cp -r "$1" "$work/in"; echo "$work/in"; }

best() { printf '%s\n' "$@" | sort -g | head -1; }

row() {
  local label=$1; shift
  local ours=() theirs=() ours_cpu=() theirs_cpu=() mem=0 secs cpu kib
  for _ in $(seq "$rounds"); do
    read -r secs cpu kib < <(eval "$OURS"); ours+=("$secs"); ours_cpu+=("$cpu"); (( kib > mem )) && mem=$kib
    read -r secs cpu kib < <(eval "$THEIRS"); theirs+=("$secs"); theirs_cpu+=("$cpu")
  done
  awk -v l="$label" -v a="$(best "${ours[@]}")" -v b="$(best "${theirs[@]}")" \
    -v c="$(best "${ours_cpu[@]}")" -v d="$(best "${theirs_cpu[@]}")" -v m="$mem" \
    'BEGIN { printf "| %-26s | %7.2f | %7.2f | %5.1fx | %6.2f | %6.2f | %5.1fx | %6d |\n",
             l, a, b, (a > 0 ? b / a : 0), c, d, (c > 0 ? d / c : 0), m / 1024 }'
}

small=$work/corpus/small/01.dxf
echo "| case | tavrin s | LibreCAD s | ratio | tavrin CPU s | LibreCAD CPU s | CPU ratio | tavrin peak MiB |"
echo "|---|---:|---:|---:|---:|---:|---:|---:|"
OURS='measure "$tavrin" now "$small" --pdf --yes'
THEIRS='measure librecad dxf2pdf -a -o peer.pdf "$small"'
row "small (one process each)"
OURS='measure "$tavrin" batch "$(fresh_copy "$work/corpus/small")" --pdf --yes --jobs 1'
THEIRS='measure librecad dxf2pdf -a -o . "$work"/corpus/small/*.dxf'
row "20 small (one run)"
OURS='measure "$tavrin" now "$work/corpus/medium.dxf" --pdf --yes'
THEIRS='measure librecad dxf2pdf -a -o peer.pdf "$work/corpus/medium.dxf"'
row "20,000 entities"
OURS='measure "$tavrin" now "$work/corpus/large.dxf" --pdf --yes'
THEIRS='measure librecad dxf2pdf -a -o peer.pdf "$work/corpus/large.dxf"'
row "300,000 entities"

echo
echo "| 40 drawings, batch --pdf --dxf --mi | --jobs 1 s | --jobs 2 s | speed-up |"
echo "|---|---:|---:|---:|"
one=() two=()
for _ in $(seq "$rounds"); do
  read -r secs _ _ < <(measure "$tavrin" batch "$(fresh_copy "$work/forty")" --pdf --dxf --mi --yes --jobs 1); one+=("$secs")
  read -r secs _ _ < <(measure "$tavrin" batch "$(fresh_copy "$work/forty")" --pdf --dxf --mi --yes --jobs 2); two+=("$secs")
done
awk -v a="$(best "${one[@]}")" -v b="$(best "${two[@]}")" \
  'BEGIN { printf "| best of the rounds | %.3f | %.3f | %.2fx |\n", a, b, (b > 0 ? a / b : 0) }'
echo
echo "(best of $rounds alternating rounds; load average at the end: $(cut -d' ' -f1-3 /proc/loadavg))"
