#!/usr/bin/env bash
# Checks an install tree as a user gets it, and runs the README's batch example with the
# installed programs only (no --catalogue: they must find the shipped one themselves).
#
#   check-tree.sh --build BUILD_DIR   installs BUILD_DIR into a temporary DESTDIR under /usr first
#   check-tree.sh --root ROOT         checks ROOT/usr as it is (an unpacked package)
#
# Prints one line per check and exits non-zero on the first failure.
set -euo pipefail

usage() { echo "usage: $0 (--build BUILD_DIR | --root ROOT)" >&2; exit 2; }
[ $# -eq 2 ] || usage
work=$(mktemp -d "${TMPDIR:-/tmp}/pf-tree-XXXXXX")
trap 'rm -rf "$work"' EXIT
case $1 in
  --build)
    root=$work/root
    DESTDIR=$root cmake --install "$2" --prefix /usr >"$work/install.log" || { cat "$work/install.log" >&2; exit 1; }
    ;;
  --root) root=$(cd "$2" && pwd) ;;
  *) usage ;;
esac
usr=$root/usr
fail() { echo "FAILED: $*" >&2; exit 1; }
ok() { echo "ok: $*"; }

# Layout.
pages="window batch-tool json recipes guarantees development"
for f in bin/presetforger-cli share/presetforger/Presetforger2000.ini share/presetforger/README.md \
         $(printf 'share/presetforger/docs/%s.md ' $pages) \
         share/presetforger/docs/screenshots/start.png share/doc/presetforger/copyright \
         share/doc/presetforger/examples/gig-ready.recipe.ini; do
  [ -e "$usr/$f" ] || fail "missing $f"
done
[ -x "$usr/bin/presetforger-cli" ] || fail "bin/presetforger-cli is not executable"
[ ! -e "$usr/bin/Presetforger2000.ini" ] || fail "the catalogue lies in bin/"
ok "layout"

# The page and the docs/ pages it links to: every relative link (a page, a picture) is installed.
for page in "$usr/share/presetforger/README.md" "$usr/share/presetforger/docs/"*.md; do
  dir=$(dirname "$page")
  while IFS= read -r target; do
    [ -e "$dir/$target" ] || fail "${page#"$usr/"} links to $target, which is not installed"
  done < <(grep -oE '\]\([^)#:]+(#[^)]*)?\)' "$page" | sed -E 's/^\]\(//; s/[)]$//; s/#.*//')
done
ok "page: every link of README.md and docs/*.md is installed"

# The README's batch example, from a folder holding the installed examples; its report must
# be the one the README prints.
mkdir -p "$work/run/forged"
cp -r "$usr/share/doc/presetforger/examples" "$work/run/examples"
expected=$(grep -E '^    examples/.* -> forged/' "$usr/share/presetforger/README.md" | sed 's/^    //')
[ -n "$expected" ] || fail "the README holds no batch example report"
actual=$(cd "$work/run" && "$usr/bin/presetforger-cli" --recipe examples/gig-ready.recipe.ini --out-dir forged \
           examples/*.g5a examples/*.g3xa examples/*.b3a) || fail "the batch example exited with status $?"
[ "$actual" = "$expected" ] || fail "the batch example reported
$actual
instead of
$expected"
[ "$(ls "$work/run/forged" | wc -l)" -eq 3 ] || fail "the batch example did not write three files"
echo "$actual" | sed 's/^/    /'
ok "batch example with the shipped catalogue"

# Desktop integration.
app=org.example.presetforger
desktop-file-validate "$usr/share/applications/$app.desktop" || fail "desktop-file-validate"
grep -q '^MimeType=.*application/x-presetforger-g5-patch-group' "$usr/share/applications/$app.desktop" \
  || fail "the desktop entry names no file type"
ok "desktop entry: desktop-file-validate passes"

# The file types: the package must build a MIME database that maps every extension to its type.
xmllint --noout "$usr/share/mime/packages/presetforger.xml" || fail "presetforger.xml is not well-formed XML"
mkdir -p "$work/mime/packages"
cp "$usr/share/mime/packages/presetforger.xml" "$work/mime/packages/"
mime_log=$(XDG_DATA_HOME=$work XDG_DATA_DIRS=$work update-mime-database "$work/mime" 2>&1) \
  && [ -z "$mime_log" ] || fail "update-mime-database: $mime_log"
for pair in g5a:g5 g3xa:g3x b3a:b3 g3a:g3; do
  ext=${pair%%:*} model=${pair##*:}
  grep -q ":application/x-presetforger-$model-patch-group:\*\.$ext$" "$work/mime/globs2" || fail "*.$ext is not mapped"
  grep -q "^application/x-presetforger-$model-patch-group application/xml$" "$work/mime/subclasses" \
    || fail "the $model type is not XML-based"
done
ok "file types: *.g5a *.g3xa *.b3a *.g3a, each a kind of application/xml"

# The icon: scalable and at every rendered size.
svg=$usr/share/icons/hicolor/scalable/apps/$app.svg
xmllint --noout "$svg" || fail "the SVG icon is not well-formed"
for size in 16 32 48 64 128 256; do
  png=$usr/share/icons/hicolor/${size}x${size}/apps/$app.png
  file "$png" | grep -q "PNG image data, $size x $size," || fail "$png is not a $size x $size PNG"
done
ok "icon: SVG and PNG at 16 32 48 64 128 256"

# AppStream: the metadata alone, then the tree with the desktop entry and icons it refers to.
appstreamcli validate --no-net "$usr/share/metainfo/$app.metainfo.xml" || fail "appstreamcli validate"
appstreamcli validate-tree --no-net "$root" || fail "appstreamcli validate-tree"
ok "AppStream: appstreamcli validate --no-net passes"

# Manual pages: they format without a warning and start with their NAME section.
for page in presetforger presetforger-cli; do
  gz=$usr/share/man/man1/$page.1.gz
  [ -f "$gz" ] || fail "no manual page $page(1)"
  warnings=$(zcat "$gz" | groff -man -ww -z -Tutf8 2>&1) && [ -z "$warnings" ] || fail "$page(1): $warnings"
  text=$(MANWIDTH=80 man -l "$gz" 2>/dev/null)
  grep -q "^NAME" <<<"$text" || fail "$page(1) has no NAME section"
done
ok "manual pages: presetforger(1), presetforger-cli(1)"

# Completion: options after a dash, *.ini after --recipe, folders after --out-dir, patch groups
# as inputs; nothing else.
mkdir -p "$work/complete/sub dir"
touch "$work/complete/"{a.g5a,b.g3xa,c.b3a,d.g3a,notes.txt,r.recipe.ini}
completions=$(cd "$work/complete" && bash -c '
  source "$1"
  t() { COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _presetforger_cli; printf "%s\n" "${COMPREPLY[@]}" | LC_ALL=C sort | paste -sd,; }
  t presetforger-cli --
  t presetforger-cli --recipe ""
  t presetforger-cli --recipe r.recipe.ini --out-dir ""
  t presetforger-cli --recipe r.recipe.ini ""
  if shopt -q extglob; then echo "extglob left on"; fi' _ "$usr/share/bash-completion/completions/presetforger-cli" 2>&1)
expected_completions='--backup,--catalogue,--diff,--dry-run,--help,--jobs,--json,--out-dir,--quiet,--recipe,--version
r.recipe.ini,sub dir
sub dir
a.g5a,b.g3xa,c.b3a,d.g3a,sub dir'
[ "$completions" = "$expected_completions" ] || fail "completion offered
$completions"
ok "bash completion of presetforger-cli"
