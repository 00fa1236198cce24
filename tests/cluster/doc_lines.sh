#!/usr/bin/env bash
# Runs a command line of docs/cluster.md as written there, with the test's paths in place of
# /archive, against the real scheduler, and checks that its parts together wrote what one
# unsharded run writes and that `tavrin report merge` of their reports gives the whole report.
#
#   doc_lines.sh slurm|gnu_parallel TAVRIN_CLI SHARE_DIR SOURCE_DIR
#
# Exits 77 (skipped) when the scheduler is not installed.
set -euo pipefail

mode="$1" cli="$2" share="$3" src="$4"
case "$mode" in
  slurm) heading="## Slurm (job array)"; needs=(sbatch slurmctld slurmd munged) ;;
  gnu_parallel) heading="## GNU parallel"; needs=(parallel) ;;
  *) echo "unknown mode $mode" >&2; exit 2 ;;
esac
for p in "${needs[@]}"; do
  if ! command -v "$p" >/dev/null && [[ ! -x "/usr/sbin/$p" ]]; then
    echo "SKIPPED: $p is not installed (scripts/install-deps.sh installs it)"
    exit 77
  fi
done

work="$(mktemp -d)"
cleanup() {
  [[ "$mode" == slurm ]] && "$src/scripts/slurm-test-env.sh" stop "$work/slurm" || true
  rm -rf "$work"
}
trap cleanup EXIT

# `tavrin` on the PATH, as the page assumes; the jobs inherit it.
mkdir -p "$work/bin" "$work/profile" "$work/whole" "$work/archive"
cat >"$work/bin/tavrin" <<EOF
#!/bin/sh
exec "$cli" --path "$share" "\$@"
EOF
chmod +x "$work/bin/tavrin"
export PATH="$work/bin:$PATH" TAVRIN_PROFILE_DIR="$work/profile" CUPS_SERVER="$work/no-cups.sock"

# Sixteen drawings, each with its own outputs: parts that run at the same time never share
# an output name (docs/cluster.md tells why that matters).
n=0
for copy in a b; do
  for f in "$src"/examples/*.dxf "$src"/examples/*.mi; do
    name="$(basename "$f")"
    [[ "$name" == *.mi && "$copy" == b ]] && continue
    cp "$f" "$work/whole/$copy-$name"
    n=$((n + 1))
  done
done
cp -a "$work/whole/." "$work/archive/"
mkdir -p "$work/archive/.runs" "$work/archive/reports"

tavrin batch "$work/whole" --pdf --dxf --yes --report "$work/whole.json" >"$work/whole.out" 2>&1 || true

# The line as the page shows it: from the block under the heading, "\" continuations joined.
line="$(awk -v h="$heading" '$0 == h {on = 1; next} on && /^```sh/ {take = 1; next}
          take && /^```/ {exit} take {print}' "$src/docs/cluster.md" | sed -e 's/\\$//' | tr '\n' ' ')"
[[ -n "$line" ]] || { echo "no command line under \"$heading\" in docs/cluster.md"; exit 1; }
line="${line//\/archive/$work/archive}"
cd "$work"
if [[ "$mode" == slurm ]]; then
  # shellcheck disable=SC2046
  export $("$src/scripts/slurm-test-env.sh" start "$work/slurm" $$)
  echo "+ $line"
  out="$(bash -c "$line")"
  echo "$out"
  job="$(sed -n 's/^Submitted batch job \([0-9]*\)$/\1/p' <<<"$out")"
  [[ -n "$job" ]] || { echo "sbatch did not submit the array"; exit 1; }
  for _ in $(seq 1 600); do
    [[ -z "$(squeue -h -j "$job" 2>/dev/null)" ]] && break
    sleep 0.5
  done
  [[ -z "$(squeue -h -j "$job")" ]] || { echo "the array did not finish"; squeue; exit 1; }
  cat "$work"/slurm-*.out
  # Every task reached tavrin: no "command not found" or option error.
  if grep -E "not found|error:|Usage:" "$work"/slurm-*.out; then exit 1; fi
else
  # The page's nodes become this machine (":" is GNU parallel's name for it, without ssh).
  line="${line//-S node1,node2/-S :}"
  echo "+ $line"
  bash -c "$line" </dev/null || true
fi

status=0
/usr/bin/python3 "$src/scripts/compare-plot-dirs.py" "$work/whole" "$work/archive" || status=1
reports=()
for k in 0 1 2 3 4 5 6 7; do reports+=("$work/archive/reports/report-$k.json"); done
tavrin report merge "${reports[@]}" -o "$work/merged.json" || status=1
/usr/bin/python3 - "$work/whole.json" "$work/merged.json" <<'PY' || status=1
import json, sys
whole, merged = (json.load(open(p)) for p in sys.argv[1:3])
same = [whole[k] == merged[k] for k in ("files", "totals", "exit_status")]
print("merged report:", len(merged["files"]), "files of", len(whole["files"]),
      "; files, totals, exit status equal:", same)
sys.exit(0 if all(same) else 1)
PY
echo "$n drawings, status $status"
exit $status
