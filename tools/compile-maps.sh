#!/usr/bin/env bash
# Compiles maps with the map compiler mkgmap and checks what it made:
#
#   tools/compile-maps.sh [--route] OUTDIR MAP.mp...
#
# Each map is compiled on its own (mkgmap --output-dir=OUTDIR MAP.mp); the
# compiler's output goes to OUTDIR/NAME.log. With --route (maps converted
# with geoconv -r) the compiler builds the routing sections and lists every
# road network not joined to the rest; the script prints "NAME: N routing
# islands" for each map. The status is 1 unless, for every map, mkgmap ended
# with status 0, its log reports no failed map ("Number of
# MapFailedExceptions: 0") and no exit exception, and OUTDIR holds a non-empty
# image NAME.img.
set -uo pipefail

usage="usage: compile-maps.sh [--route] OUTDIR MAP.mp..."
route=()
if [ "${1:-}" = --route ]; then
    route=(--route --report-routing-islands)
    shift
fi
[ $# -ge 2 ] || { echo "$usage" >&2; exit 2; }
out=$1
shift
mkdir -p "$out" || exit 1
failed=0
for map in "$@"; do
    name=$(basename "$map" .mp)
    log="$out/$name.log"
    mkgmap "${route[@]}" --output-dir="$out" "$map" > "$log" 2>&1
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
    elif [ ${#route[@]} -gt 0 ]; then
        echo "$name: $(grep -c 'Routing island' "$log") routing islands"
    fi
done
exit $failed
