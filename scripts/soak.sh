#!/usr/bin/env bash
# The resume soak: an archive run that is killed again and again ends as an uninterrupted one.
#
#   scripts/soak.sh [FILES] [WORK_DIR]      (default 2000 files, a new temporary directory)
#
# FILES drawings (copies of the shared DXF corpus beside the repository, ../shared/dxf-corpus)
# are run twice with --jobs 2: once cleanly, once with SIGKILL sent to a worker at 10 random
# moments and to the parent at 3, each parent kill followed by `--resume`; files whose worker
# was killed are done by a final `--resume`. Then both directories are compared: file names,
# .mi and DXF bytes, PDF pages and text (scripts/compare-plot-dirs.py). Prints the figures:
# files, kills, resumes, differences. Environment: TAVRIN (the program, default
# build/bin/tavrin), SOAK_SEED (the random moments), SOAK_CORPUS (the corpus folder).
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
files="${1:-2000}"
work="${2:-$(mktemp -d /tmp/tavrin-soak.XXXXXX)}"
tavrin="${TAVRIN:-$here/build/bin/tavrin}"
corpus="${SOAK_CORPUS:-$here/../shared/dxf-corpus}"
RANDOM="${SOAK_SEED:-$$}"
[[ -d "$corpus" ]] || { echo "soak: no corpus at $corpus" >&2; exit 77; }
[[ -x "$tavrin" ]] || { echo "soak: build tavrin first ($tavrin)" >&2; exit 2; }

mkdir -p "$work/clean" "$work/profile"
export TAVRIN_PROFILE_DIR="$work/profile" CUPS_SERVER="$work/no-cups.sock"
# The corpus's readable drawings (not the broken ones) under numbered names, round and round.
mapfile -t sources < <(find "$corpus" -name '*.dxf' -not -path '*/broken/*' -size -100k | sort)
for ((i = 0; i < files; i++)); do
  src="${sources[i % ${#sources[@]}]}"
  cp "$src" "$(printf '%s/clean/d%05d-%s' "$work" "$i" "$(basename "$src")")"
done
cp -a "$work/clean" "$work/killed"
job=(--pdf --dxf --mi --yes --jobs 2)

echo "soak: $files drawings in $work"
start=$SECONDS
"$tavrin" batch "$work/clean" "${job[@]}" --report "$work/clean.json" >"$work/clean.out" 2>&1 || true
clean_time=$((SECONDS - start))
echo "soak: clean run took ${clean_time}s"

worker_kills=0 parent_kills=0 resumes=0 runs=0 unexpected=0
# Kills a random worker of `parent` now; true when there was one.
kill_a_worker() {
  local workers
  mapfile -t workers < <(pgrep -P "$1" || true)
  ((${#workers[@]} > 0)) || return 1
  kill -9 "${workers[RANDOM % ${#workers[@]}]}" 2>/dev/null
}
# Sleeps a random moment of up to $1 seconds (tenths), returning early when `parent` ends.
nap() {
  local tenths=$((RANDOM % ($1 * 10 + 1)))
  for ((t = 0; t < tenths; t++)); do kill -0 "$2" 2>/dev/null || return 0; sleep 0.1; done
}

# Three segments that end in a parent kill, each with some worker kills before it; then one
# segment that runs to its end with the remaining worker kills.
segment_time=$((clean_time / 8 + 1))
for segment in 0 1 2 3; do
  args=()
  ((runs > 0)) && args=(--resume) && resumes=$((resumes + 1))
  "$tavrin" batch "$work/killed" "${job[@]}" "${args[@]}" >"$work/run-$runs.out" 2>&1 &
  parent=$!
  runs=$((runs + 1))
  planned=$((segment < 3 ? 2 : 10 - worker_kills))
  for ((k = 0; k < planned && worker_kills < 10; k++)); do
    nap "$segment_time" "$parent"
    kill -0 "$parent" 2>/dev/null || break
    kill_a_worker "$parent" && worker_kills=$((worker_kills + 1))
  done
  killed_here=0
  if ((segment < 3)); then
    nap "$segment_time" "$parent"
    if kill -9 "$parent" 2>/dev/null; then
      parent_kills=$((parent_kills + 1))
      killed_here=1
    fi
  fi
  status=0
  wait "$parent" || status=$?
  # A parent that ended other than with 0 or 1, and not by our kill, is a fault of its own.
  if ((status > 1 && !killed_here)); then
    unexpected=$((unexpected + 1))
    echo "soak: run $((runs - 1)) ended with status $status by itself" >&2
  fi
done
# The files a killed worker held were reported and not committed: a resume does them.
while grep -q "the worker process was killed" "$work/run-$((runs - 1)).out" && ((runs < 20)); do
  "$tavrin" batch "$work/killed" "${job[@]}" --resume >"$work/run-$runs.out" 2>&1 || true
  runs=$((runs + 1))
  resumes=$((resumes + 1))
done

stale=$(find "$work/killed/.tavrin-state" -maxdepth 1 -name 'stage-*' | wc -l)
set +e
/usr/bin/python3 "$here/scripts/compare-plot-dirs.py" "$work/clean" "$work/killed" >"$work/compare.out"
differences=$?
set -e
tail -n 20 "$work/compare.out"
echo "soak: files $files, worker kills $worker_kills, parent kills $parent_kills," \
  "resumes $resumes, runs $runs, parents that died by themselves $unexpected," \
  "stale stage directories $stale," \
  "differences $(tail -n 1 "$work/compare.out" | sed 's/.*, \([0-9]*\) differences/\1/')," \
  "clean run ${clean_time}s, killed runs $((SECONDS - start - clean_time))s"
exit $((differences != 0 || stale != 0 || unexpected != 0))
