#!/usr/bin/env bash
# Runs one libFuzzer target for a number of minutes, then folds what it found into the
# committed corpus.
#   scripts/fuzz.sh TARGET MINUTES        e.g.  scripts/fuzz.sh dxf_import 30
#   scripts/fuzz.sh --list
# TARGET is a name of tests/fuzz/<name>_target.cpp. The fuzz build lives in $FUZZ_BUILD
# (default build-fuzz; clang with ASan/UBSan), configured and built on first use. The fuzzer
# works on a scratch corpus under $FUZZ_BUILD/fuzz-work/TARGET that starts from the committed
# corpus (and, for the DXF targets, from ../shared/dxf-corpus when it exists). Afterwards
# the inputs that add coverage and are small (at most $FUZZ_KEEP_BYTES, default 2048) join
# tests/fuzz/corpus/TARGET, unless the run was seeded from the shared corpus (its drawings
# are under other licences; minimise a crash case by hand), and every crashing input is copied to
# tests/fuzz/corpus/TARGET/crash-* so that fuzz_tests replays it. The summary line at the
# end gives executions, coverage (edges and features) and the number of findings.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$(realpath -m "${FUZZ_BUILD:-build-fuzz}")
keep_bytes=${FUZZ_KEEP_BYTES:-2048}

targets() { ls tests/fuzz/*_target.cpp | sed 's|.*/||; s|_target.cpp||'; }

if [[ ${1:-} == --list ]]; then targets; exit 0; fi
if [[ $# -ne 2 || ! $2 =~ ^[0-9]+$ ]]; then
  echo "usage: scripts/fuzz.sh TARGET MINUTES   (targets: $(targets | tr '\n' ' '))" >&2
  exit 2
fi
target=$1
minutes=$2
if ! targets | grep -qx "$target"; then
  echo "fuzz.sh: no fuzz target '$target' (targets: $(targets | tr '\n' ' '))" >&2
  exit 2
fi

if [[ ! -f $build/build.ninja ]]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DTAVRIN_FUZZ=ON -DTAVRIN_SANITIZE=ON -DTAVRIN_GUI=OFF -DTAVRIN_BENCH=OFF
fi
cmake --build "$build" --target "fuzz_$target"

committed=tests/fuzz/corpus/$target
work=$build/fuzz-work/$target
artifacts=$build/fuzz-artifacts/$target/
log=$build/fuzz-logs/$target.log
mkdir -p "$work" "$artifacts" "$(dirname "$log")"
seeds=("$committed")
case $target in
  dxf_import | load_render)
    if [[ -d ../shared/dxf-corpus ]]; then
      seeds+=(../shared/dxf-corpus)
    else
      echo "fuzz.sh: ../shared/dxf-corpus is absent; seeding from the committed corpus only"
    fi ;;
esac

# Memory: readers must stay within bounds on any input, so a growth past 2 GiB is a finding.
# One forked job at a time, going on past findings so that one run collects them all.
export LSAN_OPTIONS=suppressions=$root/tests/fuzz/lsan.supp
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
set +e
"$build/bin/fuzz_$target" "$work" "${seeds[@]}" \
  -max_total_time=$((minutes * 60)) -timeout=30 -rss_limit_mb=2048 -malloc_limit_mb=2048 \
  -max_len=20000 -print_final_stats=1 -artifact_prefix="$artifacts" \
  -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 >"$log" 2>&1
status=$?
set -e

# Fold the small inputs that add coverage into the committed corpus. Inputs of a run seeded
# from the shared corpus may be cuts of drawings under other licences: they stay in the
# scratch corpus, and the committed one keeps only seeds of our own (and crash cases).
if [[ ${#seeds[@]} -eq 1 ]]; then
  small=$(mktemp -d)
  trap 'rm -rf "$small"' EXIT
  find "$work" -type f -size -$((keep_bytes + 1))c -exec cp -t "$small" {} +
  (cd "$artifacts" && "$build/bin/fuzz_$target" -merge=1 "$root/$committed" "$small") \
    >"$log.merge" 2>&1 || true
fi
findings=0
for crash in "$artifacts"crash-* "$artifacts"timeout-* "$artifacts"oom-* "$artifacts"leak-*; do
  [[ -f $crash ]] || continue
  findings=$((findings + 1))
  cp "$crash" "$committed/$(basename "$crash")"
done

# the last status line of the forking fuzzer: total executions, edges and features
last=$(grep -E '^#[0-9]+: cov: ' "$log" | tail -1 || true)
execs=$(grep -oE '^#[0-9]+' <<<"$last" | tr -d '#' || true)
cov=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' <<<"$last" || true)
echo "fuzz $target: ${minutes} min, ${execs:-0} executions, ${cov:-no coverage line}," \
  "$(ls "$committed" | wc -l) corpus files, $findings findings (log: $log)"
# libFuzzer exits non-zero on a finding; the summary above counts them.
[[ $findings -eq 0 ]] || exit 1
[[ $status -eq 0 ]] || { echo "fuzz.sh: the fuzzer stopped with status $status" >&2; exit 1; }
