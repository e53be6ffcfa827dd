#!/usr/bin/env bash
# Makes the Debian package of a build folder with cpack and checks it as a user gets it: prints
# its control data, requires the Qt libraries among its computed dependencies, unpacks it into a
# temporary root and runs check-tree.sh there (layout, desktop entry, file types, icons,
# AppStream, manual pages, completion, and the README's batch example with the shipped
# catalogue). Prints the package's path last.
#
#   check-package.sh BUILD_DIR
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
dir=$(cd "$1" && pwd)

rm -f "$dir"/package/presetforger_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
debs=("$dir"/package/presetforger_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "cpack made no single package" >&2; exit 1; }
deb=${debs[0]}

dpkg-deb -I "$deb" | sed -n '/^ Architecture:/,$p'
# The package names in Depends, without versions.
depends=$(dpkg-deb -f "$deb" Depends | tr ',' '\n' | sed -E 's/^ *([^ ]+).*/\1/')
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 qt6-qpa-plugins libc6 libstdc++6; do
  grep -qxF "$lib" <<<"$depends" || { echo "Depends lacks $lib" >&2; exit 1; }
done

root=$(mktemp -d "${TMPDIR:-/tmp}/pf-deb-XXXXXX")
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
"$here/check-tree.sh" --root "$root"
echo "package: $deb"
