#!/usr/bin/env bash
# Builds the Debian package of this build, unpacks it into a scratch root (as a fresh
# machine would have it after installing) and checks what a user relies on: the programs,
# the libraries, the installation tree, menu entry, icon, manual pages, completion, the
# Depends line, and a current-drawing run of a shipped example from the unpacked tree.
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack failed"; }
debs=("$work"/out/tavrin_*_amd64.deb)
[ -f "${debs[0]}" ] || fail "no tavrin_<version>_amd64.deb in $(ls "$work/out")"
deb=${debs[0]}

root=$work/root
dpkg-deb -x "$deb" "$root"
for f in usr/bin/tavrin usr/bin/tavrin-gui usr/lib/libtavrin.so usr/lib/libtavrin_host.so \
         usr/share/tavrin/TABELLEN/TavrinFormat.dat usr/share/tavrin/Tavrin_avail_cmds.cmd \
         usr/share/tavrin/TABELLEN/TavrinLanguage.dat usr/share/tavrin/TABELLEN/TavrinLanguage_en.dat \
         usr/share/locale/de/LC_MESSAGES/tavrin.mo usr/share/locale/en/LC_MESSAGES/tavrin.mo \
         usr/share/applications/tavrin-gui.desktop \
         usr/share/icons/hicolor/scalable/apps/tavrin-gui.svg \
         usr/share/man/man1/tavrin.1.gz usr/share/man/man1/tavrin-gui.1.gz \
         usr/share/bash-completion/completions/tavrin usr/share/doc/tavrin/copyright \
         usr/share/doc/tavrin/examples/flansch.mi usr/share/tavrin/dwg/dwg2dxf.mjs \
         usr/share/tavrin/dwg/node_modules/@mlightcad/libredwg-web/wasm/libredwg-web.wasm; do
  [ -e "$root/$f" ] || fail "$f is missing from the package"
done
# Nothing of the test programs or the build tree.
if dpkg-deb -c "$deb" | grep -E '_tests|/build/|\.a$'; then fail "test or build files packaged"; fi

# Depends: the libraries the programs link, found by dpkg-shlibdeps, and the run-time pieces.
depends=$(dpkg-deb -f "$deb" Depends)
for p in libc6 libcairo2 libcups2 libarchive13 libqt6widgets6 libdxflib fonts-dejavu-core \
         fonts-liberation qt6-qpa-plugins; do
  grep -q "$p" <<<"$depends" || fail "Depends lacks $p: $depends"
done

# The DWG converter runs on Node, which is recommended; LibreDWG's licence is named.
grep -q nodejs <<<"$(dpkg-deb -f "$deb" Recommends)" || fail "Recommends lacks nodejs"
grep -q 'LibreDWG' "$root/usr/share/doc/tavrin/copyright" || fail "copyright lacks LibreDWG"

# (Checks read whole outputs: with pipefail, "cmd | grep -q" fails when grep stops reading.)
# Every library the host names, linked or opened at run time (dlopen by soname), comes from
# a package that Depends lists.
triplet=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
depends_names=$(sed 's/ *([^)]*)//g; s/, */\n/g' <<<"$depends")
for so in $(strings "$root/usr/lib/libtavrin_host.so" | grep -E '^lib[a-z0-9_+-]+\.so\.[0-9]+$' | sort -u); do
  owner=$( (dpkg -S "*/$triplet/$so" 2>/dev/null || true) | sed -n '1s/:.*//p')
  [ -n "$owner" ] || fail "no installed package holds $so"
  grep -qxF "$owner" <<<"$depends_names" || fail "Depends lacks $owner (for $so): $depends"
done

# The description reads as written (a CMake list would put ";" at its line starts).
description=$(dpkg-deb -f "$deb" Description)
grep -q '^ *;' <<<"$description" && fail "Description has list separators"
grep -q '.\{81\}' <<<"$description" && fail "Description has lines over 80 columns"

# The manual page names the commands and options of --help.
man_cli=$(zcat "$root/usr/share/man/man1/tavrin.1.gz")
man_gui=$(zcat "$root/usr/share/man/man1/tavrin-gui.1.gz")
grep -qF '\-\-path' <<<"$man_cli" || fail "tavrin(1) has no options"
grep -qF 'tavrin history edit' <<<"$man_cli" ||
  fail "tavrin(1) does not explain the commands"
grep -qF '\-\-host\-version' <<<"$man_gui" ||
  fail "tavrin-gui(1) has no options"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$root/usr/share/applications/tavrin-gui.desktop"
fi

# Completion offers every command and every option that --help lists, so it cannot fall
# behind the program. The completion runs as bash runs it on <Tab>.
completion=$root/usr/share/bash-completion/completions/tavrin
bash -n "$completion"
offered() {
  bash -c 'source /usr/share/bash-completion/bash_completion; source "$1"; shift
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
    _tavrin; printf "%s\n" "${COMPREPLY[@]}"' _ "$completion" tavrin "$@"
}
if [ -f /usr/share/bash-completion/bash_completion ]; then
  tavrin=$root/usr/bin/tavrin
  commands=$("$tavrin" --help | sed -n '/^Subcommands:/,$s/^  \([a-z]\+\) .*/\1/p')
  [ -n "$commands" ] || fail "tavrin --help lists no commands"
  words=$(offered "")
  for c in $commands; do grep -qx "$c" <<<"$words" || fail "completion lacks the command $c"; done
  for cmd in "" batch now "history edit" "history new" "admin info" "report merge"; do
    # shellcheck disable=SC2086  # the command's words
    words=$(offered $cmd --)
    for o in $("$tavrin" $cmd --help | grep -oE '^ +(-[a-z], ?)?--[a-z][a-z-]*' | grep -oE -- '--.*'); do
      grep -qx -- "$o" <<<"$words" || fail "completion of 'tavrin $cmd' lacks $o"
    done
  done
else
  echo "package: bash-completion not installed, completion words not checked"
fi

# A run from the unpacked tree: its own libraries, module and tables, nothing of the build.
run=$work/run
mkdir -p "$run/profile"
cp "$root/usr/share/doc/tavrin/examples/flansch.mi" "$run/"
# As a user runs it after installing: the installed tree is not theirs to write (as root,
# the run is made as nobody).
chmod -R a-w "$root/usr"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  chmod 0755 "$work"
  chown -R nobody "$run"
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
(cd "$run" && env -u TAVRIN_PATH -u TAVRIN_MODULE TAVRIN_PROFILE_DIR="$run/profile" \
  "${as_user[@]}" "$root/usr/bin/tavrin" now flansch.mi --pdf --yes) >"$work/run.log" 2>&1 ||
  { cat "$work/run.log"; fail "tavrin now failed"; }
# The installed catalogues are found beside the installed program: an English run of the same
# drawing speaks English, a German one German.
for pair in "en_US.UTF-8|The output is complete." "de_DE.UTF-8|Die Ausgabe ist abgeschlossen."; do
  (cd "$run" && env -u TAVRIN_PATH -u TAVRIN_MODULE -u TAVRIN_LANGUAGE -u LC_ALL -u LC_MESSAGES \
    LANG="${pair%%|*}" TAVRIN_PROFILE_DIR="$run/profile" "${as_user[@]}" "$root/usr/bin/tavrin" \
    now flansch.mi --no-pdf --no-dxf --no-mi --no-print --yes) >"$work/lang.log" 2>&1 || true
  grep -qF "${pair#*|}" "$work/lang.log" || { cat "$work/lang.log"; fail "no ${pair%%|*} run"; }
done
pdfs=("$run"/*.pdf)
[ -s "${pdfs[0]}" ] || { cat "$work/run.log"; fail "tavrin now wrote no PDF"; }
# A DWG drawing through the packaged converter, where the shared corpus and Node are at hand.
corpus=${TAVRIN_DWG_CORPUS:-$(dirname "$0")/../../../shared/dwg-corpus}
dwg=$corpus/acadsharp/sample_AC1015.dwg
if [ -f "$dwg" ] && [ -x /usr/bin/node ]; then
  cp "$dwg" "$run/" && chown nobody "$run/sample_AC1015.dwg" 2>/dev/null || true
  (cd "$run" && env -u TAVRIN_PATH -u TAVRIN_MODULE TAVRIN_PROFILE_DIR="$run/profile" \
    "${as_user[@]}" "$root/usr/bin/tavrin" now sample_AC1015.dwg --pdf --yes) >"$work/dwg.log" 2>&1 ||
    { cat "$work/dwg.log"; fail "tavrin now on a DWG failed"; }
  [ -s "$run/sample_AC1015_1.pdf" ] || [ -n "$(ls "$run"/sample_AC1015_*.pdf 2>/dev/null)" ] ||
    { cat "$work/dwg.log"; fail "the DWG gave no PDF"; }
else
  echo "package: no shared DWG corpus or no /usr/bin/node, the packaged converter not run"
fi
grep -q '^Page size' <<<"$(pdfinfo "${pdfs[0]}")" || fail "${pdfs[0]} is no PDF"
# The libraries the run used are the unpacked ones.
grep -qF "$root/usr/bin/../lib/libtavrin_host.so" <<<"$(ldd "$root/usr/bin/tavrin")" ||
  fail "tavrin does not load the packaged host library: $(ldd "$root/usr/bin/tavrin")"
echo "package ok: $(basename "$deb"), Depends: $depends"
