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
for f in bin/presetforger-cli share/presetforger/Presetforger2000.ini share/presetforger/README.md \
         share/presetforger/docs/screenshots/start.png share/doc/presetforger/copyright \
         share/doc/presetforger/examples/gig-ready.recipe.ini; do
  [ -e "$usr/$f" ] || fail "missing $f"
done
[ -x "$usr/bin/presetforger-cli" ] || fail "bin/presetforger-cli is not executable"
[ ! -e "$usr/bin/Presetforger2000.ini" ] || fail "the catalogue lies in bin/"
ok "layout"

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
