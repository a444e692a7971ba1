#!/bin/sh
# Builds the fuzz targets with libFuzzer into build-fuzz/ and runs each for the
# given number of seconds (default 30), one after the other.
#   tools/fuzz.sh [seconds] [target...]
# Targets: shp_fuzz dbf_fuzz scan_fuzz mp_reader_fuzz (the input readers alone) and
# type_file_fuzz list_line_fuzz layer_fuzz (built over all of src/).
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/build-fuzz"
seconds=${1:-30}
[ $# -gt 0 ] && shift
targets=${*:-"shp_fuzz dbf_fuzz scan_fuzz mp_reader_fuzz type_file_fuzz list_line_fuzz layer_fuzz"}
cxx=${CXX_FUZZ:-clang++}
flags="-std=c++20 -O1 -g -Wall -Wextra -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -I$root/src"
readers="$root/src/input/shp.cpp $root/src/input/dbf.cpp $root/src/text/scan.cpp $root/src/text/report.cpp"

# Every source of the converter but its main(), compiled once into objects.
build_program_objects() {
    mkdir -p "$out/obj"
    objects=""
    for source in $(find "$root/src" -name '*.cpp' ! -path "$root/src/app/main.cpp" ! -path "$root/src/preview/*" | sort); do
        object="$out/obj/$(echo "${source#$root/src/}" | tr / _).o"
        if [ ! -f "$object" ] || [ "$source" -nt "$object" ] || \
           [ -n "$(find "$root/src" -name '*.hpp' -newer "$object" | head -1)" ]; then
            $cxx $flags -fsanitize=fuzzer-no-link -c "$source" -o "$object"
        fi
        objects="$objects $object"
    done
}

mkdir -p "$out"
objects=""
for target in $targets; do
    echo "== building $target"
    case $target in
    shp_fuzz | dbf_fuzz | scan_fuzz)
        $cxx $flags "$root/fuzz/$target.cpp" $readers -o "$out/$target" ;;
    mp_reader_fuzz)
        $cxx $flags "$root/fuzz/$target.cpp" "$root/src/preview/mp_reader.cpp" "$root/src/text/report.cpp" \
            -o "$out/$target" ;;
    *)
        [ -n "$objects" ] || build_program_objects
        $cxx $flags "$root/fuzz/$target.cpp" $objects -o "$out/$target" ;;
    esac
done

# Seeds: small well-formed inputs written by the test fixture writer.
for target in shp_fuzz dbf_fuzz scan_fuzz mp_reader_fuzz type_file_fuzz list_line_fuzz layer_fuzz; do
    mkdir -p "$out/corpus/$target"
done
c++ -std=c++20 -I"$root/tests" "$root/fuzz/make_seeds.cpp" "$root/tests/support/shapefile_writer.cpp" \
    -o "$out/make_seeds"
"$out/make_seeds" "$out/corpus"

for target in $targets; do
    corpus="$out/corpus/$target"
    echo "== running $target for $seconds s"
    # The programs' own messages (standard error) are muted; libFuzzer keeps its output.
    (cd "$out" && "./$target" -max_total_time="$seconds" -close_fd_mask=2 -print_final_stats=1 \
        -artifact_prefix="$out/$target-" "$corpus")
done
