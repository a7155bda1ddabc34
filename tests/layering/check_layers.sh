#!/usr/bin/env bash
# Each source folder may include only the folders below it, and only the desktop program includes Qt.
# The include path names src/ for every library, so the linker does not catch an upward include of a
# header that needs no object code: this check does.
# Usage: check_layers.sh SOURCE_DIR   (exit 1 and one line per offending include)
set -euo pipefail
src=$1/src

# The folders each folder may include besides itself, lowest layer first.
declare -A below=(
    [text]=""
    [crs]="text"
    [projections]="text crs"
    [catalogue]="text crs projections"
    [gcp]="text"
    [raster]="text gcp"
    [job]="text crs projections catalogue gcp raster"
    [cli]="text crs projections catalogue gcp raster job"
    [app]="text crs projections catalogue gcp raster job"
)

faults=0
for dir in "$src"/*/; do
    folder=$(basename "$dir")
    if [ -z "${below[$folder]+known}" ]; then
        echo "src/$folder: a folder without a place in the layers (add it to $(basename "$0"))"
        faults=1
        continue
    fi
    allowed=" $folder ${below[$folder]} "
    while IFS=: read -r file line include; do
        target=$(sed -E 's/^#include +"([a-z_]+)\/.*/\1/' <<<"$include")
        case $allowed in *" $target "*) ;; *)
            echo "${file#"$1"/}:$line: $folder includes $target, which is not below it"
            faults=1 ;;
        esac
    done < <(grep -rnE --include='*.[ch]pp' '^#include +"[a-z_]+/' "$dir" || true)
    if [ "$folder" != app ]; then
        while IFS=: read -r file line include; do
            echo "${file#"$1"/}:$line: Qt outside the desktop program: $include"
            faults=1
        done < <(grep -rnE --include='*.[ch]pp' '^#include +<Q[A-Za-z]*' "$dir" || true)
    fi
done
exit $faults
