#!/usr/bin/env bash
# Writes the COMMANDS section of tavrin(1) for help2man: each command's own --help, so the
# manual page explains every option the program has.
set -euo pipefail
program=$1
out=$2
{
  echo "[COMMANDS]"
  for cmd in batch now printers "history show" "history edit" "history new" "history pdf" \
             "admin regenerate" "admin edit" "admin info"; do
    # shellcheck disable=SC2086
    help=$("$program" $cmd --help 2>&1) || continue
    echo ".SS \"tavrin $cmd\""
    echo ".nf"
    # Lines starting with a dot or quote would be read as roff requests.
    sed -e 's/\\/\\e/g' -e "s/^\([.']\)/\\\\\&\1/" -e "s#^Usage: [^ ]*tavrin#Usage: tavrin#" <<<"$help"
    echo ".fi"
  done
} >"$out"
