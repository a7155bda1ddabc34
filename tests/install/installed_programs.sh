#!/usr/bin/env bash
# Installs a build into a temporary prefix and runs the installed programs from another folder: with no
# catalogue beside them they must find it in ../share/vortane.
# Usage: installed_programs.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

expected=(bin/vortane-cli bin/vortane-make-sample)
for name in Spher Datums tranmerc tmgrid Lambert1 Lambert2 LambEren stereo; do
    expected+=("share/vortane/$name.dat")
done
expected+=(share/vortane/epsg.txt)
if [ -x "$build/bin/vortane" ]; then
    expected+=(bin/vortane share/applications/vortane.desktop share/icons/hicolor/scalable/apps/vortane.svg)
fi
for file in "${expected[@]}"; do
    [ -f "$prefix/$file" ] || { echo "not installed: $file" >&2; exit 1; }
done

mkdir "$work/elsewhere"
cd "$work/elsewhere"
"$prefix/bin/vortane-cli" catalogue list >catalogue.txt
grep -q 'NUTM34' catalogue.txt || { echo "catalogue list shows no NUTM34" >&2; exit 1; }
"$prefix/bin/vortane-cli" catalogue find 27700 | grep -q 'BNG' ||
    { echo "catalogue find shows no EPSG:27700" >&2; exit 1; }
"$prefix/bin/vortane-make-sample" sample.ers
status=$("$prefix/bin/vortane-cli" warp --quiet --input sample.ers --output zone35.ers --in-spheroid WE \
    --in-datum WGS84 --in-system NUTM34 --out-spheroid WE --out-datum WGS84 --out-system NUTM35 --step 100 |
    tail -n 1)
[ "$status" = "Successful Finish" ] || { echo "installed warp ended with: $status" >&2; exit 1; }
[ -s zone35.ers ] && [ -s zone35.log ] || { echo "installed warp wrote no output" >&2; exit 1; }
echo "installed into $prefix; catalogue list and warp ran from $work/elsewhere"
