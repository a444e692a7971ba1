#!/usr/bin/env bash
# Conversion speed against ogr2ogr and against the I/O floor, in one run.
#
# Generates four layers (roads: 200,000 lines of 50 vertices, and a tenth of
# them; forest: 100,000 areas of 40 vertices; buildings: 500,000 points), and
# the road layer reprojected by ogr2ogr into EPSG:2180 (ROADL/2180), which
# geoconv transforms back into degrees,
# converts each several times, in rounds that time every layer and its floor
# in turn, and prints medians, peak memory, vertices per second, cost per
# vertex and the ratios against the targets; ROADL is also converted with -r
# (routable roads) for its time and memory against the plain run. The I/O floor of
# a layer is reading its files (cat to /dev/null) plus writing as many bytes as
# its map holds (dd from /dev/zero) and flushing them to the disk, as the
# program does before a map takes its name. Every timed run writes a new file: the
# previous run's output is removed before it, outside the time.
#
# Settings: BENCH_DIR (work directory, default $TMPDIR/geoconv-bench, about
# 1 GB), BENCH_RUNS (timed runs per measurement, default 7), BENCH_OGR_RUNS
# (default 3; 0 leaves ogr2ogr out).
source "$(dirname "${BASH_SOURCE[0]}")/../tools/setup.sh"

ensure_packages cmake ninja-build g++ gdal-bin libproj-dev proj-data

build="$GEOCONV_ROOT/$GEOCONV_BUILD-bench"
configure "$build" -DCMAKE_BUILD_TYPE=Release -DGEOCONV_TESTS=OFF
ninja -C "$build" -j "$GEOCONV_JOBS" geoconv bench_layers bench_time >/dev/null

work="${BENCH_DIR:-${TMPDIR:-/tmp}/geoconv-bench}"
runs="${BENCH_RUNS:-7}"
ogr_runs="${BENCH_OGR_RUNS:-3}"
geoconv="$build/geoconv"
timer="$build/bench_time"

rm -rf "$work"/{road,road10,forest,building,start,road2180}
mkdir -p "$work"/{road,road10,forest,building,start,road2180}
vertices_road=$("$build/bench_layers" road "$work/road/ROADL" 200000)
vertices_road10=$("$build/bench_layers" road "$work/road10/ROADL" 20000)
vertices_forest=$("$build/bench_layers" forest "$work/forest/FORESTA" 100000)
vertices_building=$("$build/bench_layers" building "$work/building/BUILDNGP" 500000)
"$build/bench_layers" road "$work/start/ROADL" 1 >/dev/null
# The same roads projected, with the same table.
SHAPE_RESTORE_SHX=YES ogr2ogr --config SHAPE_ENCODING "" -s_srs EPSG:4326 -t_srs EPSG:2180 \
    "$work/road2180/ROADL.shp" "$work/road/ROADL.shp"
cp "$work/road/ROADL.dbf" "$work/road2180/ROADL.dbf"
rm -f "$work"/road*/ROADL.shx

echo "geoconv benchmark: $(nproc) cores, $(uname -m), medians of $runs runs (ogr2ogr: $ogr_runs)"
printf '%-10s %9s %8s %8s %8s %8s %7s %7s %8s %8s %8s %8s %8s %7s\n' \
    layer vertices objects "input MB" "map MB" "wall s" "user s" "sys s" "peak MiB" "cap MiB" "Mvert/s" "ns/vert" "floor s" "/floor"

declare -A dirs layers vertices samples floor_samples wall ns cpu_ns floor_ratio peak_ok peak
routed_samples=""
dirs=([ROADL]="$work/road" [ROADL/10]="$work/road10" [FORESTA]="$work/forest" [BUILDNGP]="$work/building"
      [start]="$work/start" [ROADL/2180]="$work/road2180")
layers=([ROADL]=ROADL [ROADL/10]=ROADL [FORESTA]=FORESTA [BUILDNGP]=BUILDNGP [start]=ROADL [ROADL/2180]=ROADL)
vertices=([ROADL]=$vertices_road [ROADL/10]=$vertices_road10 [FORESTA]=$vertices_forest
          [BUILDNGP]=$vertices_building [ROADL/2180]=$vertices_road)
keys=(ROADL ROADL/10 FORESTA BUILDNGP ROADL/2180)

# The machine's speed drifts (on shared virtual machines by tens of per cent
# within minutes), so the measurements take turns: each round times every
# layer once and its floor right after it; medians over the rounds follow.
for (( round = 0; round < runs; round++ )); do
    for key in "${keys[@]}" start; do
        cd "${dirs[$key]}"
        layer=${layers[$key]}
        samples[$key]+="$("$timer" 1 --fresh 00000001.mp "$geoconv" -i 1 bench "$layer.shp")"$'\n'
        [ "$key" = start ] && continue
        map=$(stat -c %s 00000001.mp)
        floor_samples[$key]+="$("$timer" 1 --fresh floor.out sh -c "cat $layer.shp $layer.dbf >/dev/null &&
            dd if=/dev/zero of=floor.out bs=1M count=$map iflag=count_bytes conv=fsync status=none")"$'\n'
        rm -f floor.out
        # ROADL once more with routable roads (-r), into a map of its own.
        if [ "$key" = ROADL ]; then
            routed_samples+="$("$timer" 1 --fresh 00000002.mp "$geoconv" -r -i 2 bench "$layer.shp")"$'\n'
            rm -f 00000002.mp
        fi
    done
done

# median <column> of the lines given on standard input
median() { sort -g -k"$1,$1" | awk -v c="$1" '{ v[NR] = $c } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

for key in "${keys[@]}"; do
    cd "${dirs[$key]}"
    layer=${layers[$key]} v=${vertices[$key]} runs_of=${samples[$key]%$'\n'}
    w=$(median 1 <<<"$runs_of") u=$(median 2 <<<"$runs_of") s=$(median 3 <<<"$runs_of")
    fw=$(median 1 <<<"${floor_samples[$key]%$'\n'}")
    p=$(awk '$4 > m { m = $4 } END { print m }' <<<"$runs_of")
    peak[$key]=$p
    input=$(( $(stat -c %s "$layer.shp") + $(stat -c %s "$layer.dbf") ))
    map=$(stat -c %s 00000001.mp)
    objects=$(grep -c '^\[END\]$' 00000001.mp || true)
    wall[$key]=$w
    ns[$key]=$(awk -v w="$w" -v v="$v" 'BEGIN { printf "%.1f", w * 1e9 / v }')
    cpu_ns[$key]=$(awk -v u="$u" -v s="$s" -v v="$v" 'BEGIN { printf "%.1f", (u + s) * 1e9 / v }')
    floor_ratio[$key]=$(awk -v w="$w" -v f="$fw" 'BEGIN { printf "%.2f", w / f }')
    cap=$(( (input + 1048575) / 1048576 + 64 ))
    peak_ok[$key]=$(( p / 1024 <= cap ))
    awk -v k="$key" -v v="$v" -v o="$objects" -v i="$input" -v m="$map" -v w="$w" -v u="$u" -v s="$s" \
        -v p="$p" -v c="$cap" -v f="$fw" -v r="${floor_ratio[$key]}" -v n="${ns[$key]}" 'BEGIN {
        printf "%-10s %9d %8d %8.1f %8.1f %8.3f %7.3f %7.3f %8.1f %8d %8.1f %8s %8.3f %7s\n",
            k, v, o, i / 1e6, m / 1e6, w, u, s, p / 1024, c, v / w / 1e6, n, f, r }'
    if [ "$objects" -eq 0 ]; then echo "  warning: $layer wrote no objects (its handler is missing)"; fi
done
start_wall=$(median 1 <<<"${samples[start]%$'\n'}")
# -r holds the roads until the map closes: its time against the plain run's,
# and the memory it adds per road vertex (peaks of the same runs).
routed_wall=$(median 1 <<<"${routed_samples%$'\n'}")
routed_peak=$(awk '$4 > m { m = $4 } END { print m }' <<<"${routed_samples%$'\n'}")
routed_ratio=$(awk -v a="$routed_wall" -v b="${wall[ROADL]}" 'BEGIN { printf "%.2f", a / b }')
# CPU time (user + system) of both runs: on a machine whose cores are taken by
# other work the two threads cannot overlap, and the wall ratio shows that
# rather than what -r costs.
routed_user=$(median 2 <<<"${routed_samples%$'\n'}") routed_sys=$(median 3 <<<"${routed_samples%$'\n'}")
plain_user=$(median 2 <<<"${samples[ROADL]%$'\n'}") plain_sys=$(median 3 <<<"${samples[ROADL]%$'\n'}")
routed_cpu_ratio=$(awk -v a="$routed_user" -v b="$routed_sys" -v c="$plain_user" -v d="$plain_sys" \
    'BEGIN { printf "%.2f", (a + b) / (c + d) }')
routed_bytes=$(awk -v a="$routed_peak" -v b="${peak[ROADL]}" -v v="$vertices_road" \
    'BEGIN { printf "%.1f", (a - b) * 1024 / v }')
echo
echo "-r on ROADL: $routed_wall s wall, ${routed_ratio}x the time without it;" \
    "$routed_bytes bytes per road vertex held (peak $((routed_peak / 1024)) MiB)"
echo "  CPU: $routed_user s user, $routed_sys s sys with -r; $plain_user s user, $plain_sys s sys without;" \
    "${routed_cpu_ratio}x"

if [ "$ogr_runs" -gt 0 ]; then
    cd "$work/road"
    ogr=$("$timer" "$ogr_runs" sh -c 'rm -f out.csv; SHAPE_RESTORE_SHX=YES ogr2ogr -f CSV out.csv ROADL.shp -lco GEOMETRY=AS_WKT')
    rm -f out.csv ROADL.shx
    read -r ogr_wall _ <<<"$ogr"
    speedup=$(awk -v o="$ogr_wall" -v w="${wall[ROADL]}" 'BEGIN { printf "%.1f", o / w }')
    echo
    echo "ogr2ogr -f CSV on ROADL: $ogr_wall s wall; geoconv is ${speedup}x faster"
else
    speedup=0
    echo
    echo "ogr2ogr skipped (BENCH_OGR_RUNS=0)"
fi
growth=$(awk -v a="${ns[ROADL]}" -v b="${ns[ROADL/10]}" 'BEGIN { printf "%+.1f", (a / b - 1) * 100 }')
cpu_growth=$(awk -v a="${cpu_ns[ROADL]}" -v b="${cpu_ns[ROADL/10]}" 'BEGIN { printf "%+.1f", (a / b - 1) * 100 }')
echo "cost per vertex on ROADL: ${ns[ROADL/10]} ns at a tenth, ${ns[ROADL]} ns whole (${growth} %);" \
    "in CPU time ${cpu_ns[ROADL/10]} and ${cpu_ns[ROADL]} ns (${cpu_growth} %)"
# start_wall: what every run costs whatever its size (a layer of one line of 50 vertices).
awk -v s="$start_wall" -v a="${wall[ROADL/10]}" -v b="${wall[ROADL]}" -v va="$vertices_road10" -v vb="$vertices_road" '
    BEGIN { na = (a - s) * 1e9 / va; nb = (b - s) * 1e9 / vb
            printf "a run of one line takes %.1f ms; net of it, %.1f ns per vertex at a tenth, %.1f ns whole (%+.1f %%)\n",
                s * 1e3, na, nb, (nb / na - 1) * 100 }'
echo
verdict() { if [ "$1" -eq 1 ]; then echo "met"; else echo "MISSED"; fi; }
echo "targets:"
echo "  >= 25x faster than ogr2ogr on ROADL:    ${speedup}x  $(verdict "$(awk -v x="$speedup" 'BEGIN { print (x >= 25) }')")"
for key in ROADL FORESTA BUILDNGP; do
    printf '  <= 2.5x the I/O floor, %-9s        %sx  %s\n' "$key:" "${floor_ratio[$key]}" \
        "$(verdict "$(awk -v x="${floor_ratio[$key]}" 'BEGIN { print (x <= 2.5) }')")"
done
projected=$(awk -v a="${wall[ROADL/2180]}" -v b="${wall[ROADL]}" 'BEGIN { printf "%.2f", a / b }')
echo "  ROADL from EPSG:2180 <= 2x ROADL:      ${projected}x  $(verdict "$(awk -v x="$projected" 'BEGIN { print (x <= 2) }')")"
all_peaks=1
for key in ROADL ROADL/10 FORESTA BUILDNGP ROADL/2180; do all_peaks=$(( all_peaks & peak_ok[$key] )); done
echo "  peak memory <= input files + 64 MiB:  all layers  $(verdict "$all_peaks")"
echo "  -r on ROADL <= 1.5x the time without:  ${routed_ratio}x  $(verdict "$(awk -v x="$routed_ratio" 'BEGIN { print (x <= 1.5) }')")"
echo "  -r holds < 40 bytes per road vertex:   ${routed_bytes}  $(verdict "$(awk -v x="$routed_bytes" 'BEGIN { print (x < 40) }')")"
echo "  cost per vertex within 20 %:           ${growth} %  $(verdict "$(awk -v x="$growth" 'BEGIN { print (x <= 20 && x >= -20) }')")"
