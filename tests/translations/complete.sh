#!/usr/bin/env bash
# Every text the sources mark for translation is translated in every language, plural forms included, and the files
# hold nothing else: lupdate run over the sources would change none of them.
# Usage: complete.sh LUPDATE TS_FOLDER SOURCE...
set -euo pipefail
lupdate=$1 folder=$2
shift 2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
status=0
for ts in "$folder"/*.ts; do
    copy=$tmp/$(basename "$ts")
    cp "$ts" "$copy"
    "$lupdate" -locations none -no-obsolete -silent "$@" -ts "$copy"
    if ! diff -u "$ts" "$copy"; then
        echo "$ts: lupdate over the sources changes it (texts added, changed or gone)"
        status=1
    fi
    if grep -nE 'type="(unfinished|vanished|obsolete)"|<translation/>|<translation></translation>|<numerusform></numerusform>' "$ts"; then
        echo "$ts: translations missing"
        status=1
    fi
done
exit $status
