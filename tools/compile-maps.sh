#!/usr/bin/env bash
# Compiles maps with the map compiler mkgmap and checks what it made:
#
#   tools/compile-maps.sh OUTDIR MAP.mp...
#
# Each map is compiled on its own (mkgmap --output-dir=OUTDIR MAP.mp); the
# compiler's output goes to OUTDIR/NAME.log. The status is 1 unless, for every
# map, mkgmap ended with status 0, its log reports no failed map ("Number of
# MapFailedExceptions: 0") and no exit exception, and OUTDIR holds a non-empty
# image NAME.img.
set -uo pipefail

[ $# -ge 2 ] || { echo "usage: compile-maps.sh OUTDIR MAP.mp..." >&2; exit 2; }
out=$1
shift
mkdir -p "$out" || exit 1
failed=0
for map in "$@"; do
    name=$(basename "$map" .mp)
    log="$out/$name.log"
    mkgmap --output-dir="$out" "$map" > "$log" 2>&1
    status=$?
    problem=""
    if [ $status -ne 0 ]; then
        problem="mkgmap ended with status $status"
    elif ! grep -q '^Number of MapFailedExceptions: 0$' "$log"; then
        problem="the compiler log does not report 0 failed maps"
    elif grep -q '^Number of ExitExceptions: [1-9]' "$log"; then
        problem="the compiler log reports an exit exception"
    elif [ ! -s "$out/$name.img" ]; then
        problem="no image $out/$name.img, or an empty one"
    fi
    if [ -n "$problem" ]; then
        echo "compile-maps.sh: $map: $problem (log: $log)" >&2
        failed=1
    fi
done
exit $failed
