#!/usr/bin/env bash
# Compiles maps with the map compiler mkgmap and checks what it made:
#
#   tools/compile-maps.sh [--route] OUTDIR MAP.mp...
#   tools/compile-maps.sh --gmapsupp OUTDIR MAP.mp...
#
# Each map is compiled on its own (mkgmap --output-dir=OUTDIR MAP.mp); the
# compiler's output goes to OUTDIR/NAME.log. With --route (maps converted
# with geoconv -r) the compiler builds the routing sections and lists every
# road network not joined to the rest; the script prints "NAME: N routing
# islands" for each map. The status is 1 unless, for every map, mkgmap ended
# with status 0, its log reports no failed map ("Number of
# MapFailedExceptions: 0") and no exit exception, and OUTDIR holds a non-empty
# image NAME.img.
#
# --gmapsupp compiles all maps in one go into OUTDIR/gmapsupp.img, the one
# file a device reads from its card: the tiles, the drawing rules of
# geoconv-typ (OUTDIR/geoconv.txt, the preview's colours), the index for name
# search, and routing when the maps carry Routing=Y. It prints each tile with
# its routing islands and the image's size; the log is OUTDIR/gmapsupp.log.
# geoconv-typ is $GEOCONV_TYP, else the one beside $GEOCONV, else the one
# installed beside this script, else build/geoconv-typ of this checkout. The status is 1 unless the image holds
# every tile and the drawing rules.
set -uo pipefail

usage="usage: compile-maps.sh [--route | --gmapsupp] OUTDIR MAP.mp..."
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")
family_id=5234
mode=single
route=()
case ${1:-} in
--route) route=(--route --report-routing-islands); shift ;;
--gmapsupp) mode=gmapsupp; shift ;;
esac
[ $# -ge 2 ] || { echo "$usage" >&2; exit 2; }
out=$1
shift
mkdir -p "$out" || exit 1

# compiled LOG: mkgmap's own verdict in its log, empty when sound.
compiled() {
    if ! grep -q '^Number of MapFailedExceptions: 0$' "$1"; then
        echo "the compiler log does not report 0 failed maps"
    elif grep -q '^Number of ExitExceptions: [1-9]' "$1"; then
        echo "the compiler log reports an exit exception"
    fi
}

# islands LOG MAP: the routing islands the log reports for one map.
islands() {
    grep -c "^$(printf '%s' "$2" | sed 's/[][\.*^$]/\\&/g'): Routing island" "$1"
}

if [ "$mode" = gmapsupp ]; then
    typ_program=${GEOCONV_TYP:-}
    if [ -z "$typ_program" ] && [ -n "${GEOCONV:-}" ]; then typ_program="$(dirname "$GEOCONV")/geoconv-typ"; fi
    if [ -z "$typ_program" ] && [ -x "$here/geoconv-typ" ]; then typ_program="$here/geoconv-typ"; fi
    [ -n "$typ_program" ] || typ_program="$root/${GEOCONV_BUILD:-build}/geoconv-typ"
    typ="$out/geoconv.txt"
    "$typ_program" "$typ" "$family_id" || { echo "compile-maps.sh: no drawing rules from $typ_program" >&2; exit 1; }
    if grep -q '^Routing=Y' "$@"; then route=(--route --report-routing-islands); fi
    log="$out/gmapsupp.log"
    rm -f "$out/gmapsupp.img"
    mkgmap "${route[@]}" --index --gmapsupp --family-id="$family_id" --family-name=geoconv \
        --series-name=geoconv --description=geoconv --output-dir="$out" "$@" "$typ" > "$log" 2>&1
    status=$?
    problem=$(compiled "$log")
    [ $status -eq 0 ] || problem="mkgmap ended with status $status"
    image="$out/gmapsupp.img"
    [ -n "$problem" ] || [ -s "$image" ] || problem="no image $image, or an empty one"
    if [ -n "$problem" ]; then
        echo "compile-maps.sh: $problem (log: $log)" >&2
        exit 1
    fi
    failed=0
    for map in "$@"; do
        name=$(basename "$map" .mp)
        line="tile $name"
        [ ${#route[@]} -gt 0 ] && line+=": $(islands "$log" "$map") routing islands"
        echo "$line"
        if ! LC_ALL=C grep -aq "${name}TRE" "$image"; then
            echo "compile-maps.sh: $image does not hold the tile $name" >&2
            failed=1
        fi
    done
    if ! LC_ALL=C grep -aq 'GEOCONVTYP' "$image"; then
        echo "compile-maps.sh: $image does not hold the drawing rules" >&2
        failed=1
    fi
    echo "$image: $(stat -c %s "$image") bytes"
    exit $failed
fi

failed=0
for map in "$@"; do
    name=$(basename "$map" .mp)
    log="$out/$name.log"
    mkgmap "${route[@]}" --output-dir="$out" "$map" > "$log" 2>&1
    status=$?
    problem=$(compiled "$log")
    [ $status -eq 0 ] || problem="mkgmap ended with status $status"
    [ -n "$problem" ] || [ -s "$out/$name.img" ] || problem="no image $out/$name.img, or an empty one"
    if [ -n "$problem" ]; then
        echo "compile-maps.sh: $map: $problem (log: $log)" >&2
        failed=1
    elif [ ${#route[@]} -gt 0 ]; then
        echo "$name: $(islands "$log" "$map") routing islands"
    fi
done
exit $failed
