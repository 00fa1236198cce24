#!/usr/bin/env bash
# The layer check on copies of the tree: it passes on the tree as it is and fails, naming the
# file, on each planted fault (an include pointing up, across, into the module or out of the
# host's facade; a folder without a row; a page without the table).
set -euo pipefail
repo=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fresh_copy() {
  rm -rf "$work/tree" && mkdir -p "$work/tree"
  cp -r "$repo/src" "$repo/docs" "$repo/scripts" "$work/tree/"
}

expect() {  # expect pass|fail NAME [message fragment]
  local want=$1 name=$2 fragment=${3:-}
  local out rc=0
  out=$(bash "$work/tree/scripts/check-layers.sh" 2>&1) || rc=$?
  if [[ $want == pass && $rc -ne 0 ]] || [[ $want == fail && $rc -eq 0 ]] ||
     [[ -n $fragment && $out != *"$fragment"* ]]; then
    echo "FAIL $name: wanted $want${fragment:+ with \"$fragment\"}, got rc=$rc:"
    echo "$out"
    failures=$((failures + 1))
  else
    echo "ok   $name"
  fi
}

fresh_copy
expect pass "the tree as it is"

# file that gets the include | the include | what the check must say
while IFS='|' read -r file include message; do
  fresh_copy
  echo "#include \"$include\"" >>"$work/tree/src/$file"
  expect fail "$file includes $include" "$message"
done <<'CASES'
host/value/value.cpp|host/drawing/model.h|src/host/value/value.cpp:
host/drawing/model.h|host/formats/registry.h|host/drawing must not include host/formats/registry.h
host/commands/queue.cpp|host/ui/model.h|host/commands must not include host/ui/model.h
host/ui/messages.cpp|host/plot/render.h|host/ui must not include host/plot/render.h
host/plot/render.cpp|base/globals.h|host/plot must not include base/globals.h
engine/printing.cpp|host/plot/paper.h|engine must not include host/plot/paper.h
base/globals.cpp|engine/driver.h|base must not include engine/driver.h
dialogs/main_dialog.cpp|host/api/front_end.h|only the front ends include host/api/front_end.h
app/gui/main_window.cpp|host/ui/model.h|app/gui must not include host/ui/model.h
CASES

fresh_copy
mkdir "$work/tree/src/host/extra" && echo '#include "host/value/value.h"' >"$work/tree/src/host/extra/extra.cpp"
expect fail "a folder without a row" "folder host/extra has no place"

fresh_copy
sed -i '/<!-- layers begin -->/,/<!-- layers end -->/d' "$work/tree/docs/architecture.md"
expect fail "a page without the table" "no layer table"

[[ $failures -eq 0 ]]
