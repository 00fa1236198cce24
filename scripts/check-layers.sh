#!/usr/bin/env bash
# Fails when an include points the wrong way between the layers of the tree.
# Host: value at the bottom, then the drawing model, then formats and the services (the files
# layer also keeps the run's journal and report, which every layer above feeds), then ops, the
# worker pool and api on top; the model knows no file format. Module: base at the bottom, then
# config, then engine and history side by side, then dialogs, then the entry in startup. The
# module and the front ends see the host only through host/api; the host includes nothing of
# the module.
set -euo pipefail
cd "$(dirname "$0")/../src"

# Folders each layer may include, besides itself and the standard and system headers: the table
# between the "layers" markers of docs/architecture.md, so the page and the check cannot differ.
declare -A allowed=()
in_table=0
while IFS= read -r row; do
  case "$row" in
    *'<!-- layers begin -->'*) in_table=1; continue ;;
    *'<!-- layers end -->'*) in_table=0; continue ;;
  esac
  [[ $in_table -eq 1 && "$row" == '| `'* ]] || continue
  IFS='|' read -r _ layer_cell may_cell _ <<<"$row"
  layer=${layer_cell//[\` ]/}
  may=${may_cell//\`/}
  read -r -a words <<<"$may"
  allowed[$layer]="${words[*]}"
done <../docs/architecture.md
[[ ${#allowed[@]} -gt 0 ]] || { echo "docs/architecture.md: no layer table"; exit 1; }

layer=""
layer_of() {  # sets `layer` to the layer a path (a file, or an include) belongs to
  local rest=${1#*/}
  case "$1" in
    host/*/* | app/*/*) layer=${1%%/*}/${rest%%/*} ;;
    */*) layer=${1%%/*} ;;
    *) layer="" ;;
  esac
}

status=0
while IFS= read -r hit; do
  file=${hit%%:*}
  rest=${hit#*:}
  line=${rest%%:*}
  [[ $rest =~ \#[[:space:]]*include[[:space:]]+\"([^\"]+)\" ]] || continue
  include=${BASH_REMATCH[1]}
  layer_of "$file"
  from=$layer
  layer_of "$include"
  to=$layer
  [[ -z "$to" || "$from" == "$to" ]] && continue
  [[ -v allowed[$from] ]] || { echo "src/$file:$line: folder $from has no place in the layers"; status=1; continue; }
  # An include without a folder is a file beside the includer (the front ends' own headers).
  [[ "$include" != */* ]] && continue
  # The job table is data only: the front ends build their options from it.
  [[ "$include" == base/job_table.h && "$from" == app/* ]] && continue
  # The reset registry is a leaf that every host part registers its state with.
  [[ "$include" == host/api/testing.h && "$from" == host/* ]] && continue
  if [[ "$include" == host/api/front_end*.h && "$from" != app/* ]]; then
    echo "src/$file:$line: only the front ends include $include"
    status=1
    continue
  fi
  if [[ " ${allowed[$from]} " != *" $to "* ]]; then
    echo "src/$file:$line: $from must not include $include"
    status=1
  fi
done < <(grep -rnE '^\s*#\s*include\s+"' --include='*.h' --include='*.cpp' .  | sed 's#^\./##')

# The facade's own headers (all but the programs' front_end.h) sit on the host values only, so that whatever implements them
# can include them without a loop.
while IFS= read -r hit; do
  echo "src/${hit%%:*}: a host/api header includes ${hit##*#include }, below the facade"
  status=1
done < <(grep -nE '#include "host/(drawing|formats|commands|settings|plot|ui|files|ops)/' host/api/*.h |
  grep -vE '^host/api/front_end(_render)?.h:' || true)

if [[ $status -eq 0 ]]; then echo "layers: every include points down"; fi
exit $status
