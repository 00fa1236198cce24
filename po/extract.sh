#!/usr/bin/env bash
# Extracts the texts of one catalogue from the sources and reports those it does not translate.
# usage: extract.sh <catalogue.po> <output.pot> <xgettext options...> -- <sources...>
# With TAVRIN_I18N_STRICT=1 a missing translation fails (the final check of a release).
set -euo pipefail
po=$1 pot=$2
shift 2
options=()
while [[ $1 != -- ]]; do options+=("$1"); shift; done
shift
# xgettext warns about every German text (non-ASCII msgids); only its failure is shown.
xgettext "${options[@]}" --output="$pot" "$@" 2>"$pot.log" || { cat "$pot.log" >&2; exit 1; }
if ! msgcmp "$po" "$pot" 2>"$pot.missing"; then
  sed 's/^/  /' "$pot.missing" >&2
  echo "$(basename "$po"): the texts above have no translation yet and show as written" >&2
  [[ ${TAVRIN_I18N_STRICT:-0} == 1 ]] && exit 1
fi
exit 0
