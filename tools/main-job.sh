#!/usr/bin/env bash
# The whole job on sample data: installs what is missing, builds geoconv and
# the sample generator, writes two sample map sheets into run/ of the
# checkout, converts them with tools/make-all.sh, -s and -r (routable
# roads), compiles every map with the map compiler mkgmap and its routing,
# draws a picture of every map with geoconv-preview, builds run/card/gmapsupp.img
# for the device (all maps, the preview's colours, name search, routing), and
# prints where everything is with the number of objects of each kind.
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
started=$SECONDS

ensure_packages cmake ninja-build g++ mkgmap pkg-config libcairo2-dev fonts-dejavu-core libproj-dev proj-data
build="$GEOCONV_ROOT/$GEOCONV_BUILD"
configure "$build" -DCMAKE_BUILD_TYPE=Release -DGEOCONV_TESTS=OFF
ninja -C "$build" -j "$GEOCONV_JOBS" geoconv sample_sheets geoconv-preview geoconv-typ

run="$GEOCONV_ROOT/run"
rm -rf "$run"
mkdir -p "$run"
echo "== sample sheets"
"$build/sample_sheets" "$run"

echo "== tools/make-all.sh run -s -r"
status=0
GEOCONV="$build/geoconv" bash "$GEOCONV_ROOT/tools/make-all.sh" "$run" -s -r \
    > "$run/statistics.txt" 2> "$run/messages.txt" || status=$?
# 3: every map written, but geoconv ended with status 2 (an input it could
# not convert). The sample's layer LAWKIP is unknown on purpose, so 3 is what
# the sample gives; anything else means the job failed.
if [ $status -ne 3 ]; then
    tail -n 20 "$run/messages.txt"
    echo "tools/make-all.sh ended with status $status; the sample sheets give 3" >&2
    exit 1
fi

echo "== mkgmap --route"
maps=("$run"/*.mp)
bash "$GEOCONV_ROOT/tools/compile-maps.sh" --route "$run/img" "${maps[@]}"

echo "== geoconv-preview"
for map in "${maps[@]}"; do
    "$build/geoconv-preview" "$map"
done

echo "== gmapsupp.img"
GEOCONV="$build/geoconv" bash "$GEOCONV_ROOT/tools/compile-maps.sh" --gmapsupp "$run/card" "${maps[@]}"

# Objects of each kind, as the maps hold them.
echo
printf '%-12s %8s %10s %9s\n' map POI POLYLINE POLYGON
for map in "${maps[@]}"; do
    printf '%-12s %8d %10d %9d\n' "$(basename "$map")" "$(grep -c '^\[POI\]' "$map")" \
        "$(grep -c '^\[POLYLINE\]' "$map")" "$(grep -c '^\[POLYGON\]' "$map")"
done
# Features classified, as the -s report counts them (written or not).
awk '
    /^Punkty$/ { kind = "points" } /^Linie$/ { kind = "lines" } /^Obszary$/ { kind = "areas" }
    /^\t/ && kind { total[kind] += $2 }
    /^Nieznane obiekty:/ { unknown = $3 }
    END { printf "classified by -s: %d points, %d lines, %d areas; %d features of unknown layers\n",
                 total["points"], total["lines"], total["areas"], unknown }
' "$run/statistics.txt"

echo
echo "sample sheets: $run/m34131ab $run/m34131cd"
echo "maps:          ${maps[*]}"
echo "pictures:      $(ls "$run"/*.png | tr '\n' ' ')"
echo "images:        $(ls "$run"/img/*.img | grep -v '/osmmap\.img$' | tr '\n' ' ')(compiler logs beside them)"
echo "device:        $run/card/gmapsupp.img (copy it to the card's Garmin folder)"
echo "statistics:    $run/statistics.txt"
echo "messages:      $run/messages.txt ($(wc -l < "$run/messages.txt") lines; geoconv status 2, as the" \
    "sample's deliberately unknown layer LAWKIP gives)"
echo "done in $((SECONDS - started)) s"
