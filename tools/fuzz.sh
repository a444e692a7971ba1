#!/bin/sh
# Builds the parser fuzz targets with libFuzzer into build-fuzz/ and runs each
# for the given number of seconds (default 30).
#   tools/fuzz.sh [seconds] [target...]     targets: shp_fuzz dbf_fuzz scan_fuzz
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/build-fuzz"
seconds=${1:-30}
[ $# -gt 0 ] && shift
targets=${*:-"shp_fuzz dbf_fuzz scan_fuzz"}
cxx=${CXX_FUZZ:-clang++}
flags="-std=c++20 -O1 -g -Wall -Wextra -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -I$root/src"
sources="$root/src/input/shp.cpp $root/src/input/dbf.cpp $root/src/text/scan.cpp $root/src/text/report.cpp"

mkdir -p "$out"
for target in $targets; do
    echo "== building $target"
    $cxx $flags "$root/fuzz/$target.cpp" $sources -o "$out/$target"
done

# Seeds: a small well-formed shapefile, DBF table and number, written by the
# test fixture writer.
mkdir -p "$out/corpus/shp_fuzz" "$out/corpus/dbf_fuzz" "$out/corpus/scan_fuzz"
c++ -std=c++20 -I"$root/tests" "$root/fuzz/make_seeds.cpp" "$root/tests/support/shapefile_writer.cpp" \
    -o "$out/make_seeds"
"$out/make_seeds" "$out/corpus/shp_fuzz" "$out/corpus/dbf_fuzz" "$out/corpus/scan_fuzz"

for target in $targets; do
    corpus="$out/corpus/$target"
    echo "== running $target for $seconds s"
    # The programs' own messages (standard error) are muted; libFuzzer keeps its output.
    (cd "$out" && "./$target" -max_total_time="$seconds" -close_fd_mask=2 -print_final_stats=1 \
        -artifact_prefix="$out/$target-" "$corpus")
done
