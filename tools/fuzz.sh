#!/usr/bin/env bash
# Builds the fuzz targets with libFuzzer into build-fuzz/ and runs each in
# turn over its seed corpus, for a time or for a number of executions.
#   tools/fuzz.sh [seconds] [target...]       default 30 s, every target
#   FUZZ_RUNS=10000000 tools/fuzz.sh 0 ...    stops each after that many runs
#   FUZZ_OUT=DIR                              builds and runs there, not in build-fuzz/
# A crash, a sanitizer report or a leak fails the script; libFuzzer keeps the
# input that caused it as build-fuzz/<target>-crash-*.
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

ensure_packages clang libclang-rt-14-dev g++

root="$GEOCONV_ROOT"
out="${FUZZ_OUT:-$root/build-fuzz}"  # a run of its own needs a directory of its own
seconds=${1:-30}
[ $# -gt 0 ] && shift
all="shp_fuzz dbf_fuzz scan_fuzz wkt_fuzz mp_reader_fuzz type_file_fuzz list_line_fuzz layer_fuzz merge_fuzz sheet_fuzz run_fuzz"
targets=${*:-$all}
cxx=${CXX_FUZZ:-clang++}
# The _cp message formats are constants made at compile time, which clang cannot
# tell from formats made at run time.
flags="-std=c++20 -O1 -g -Wall -Wextra -Wno-format-security -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -I$root/src"
readers="$root/src/input/shp.cpp $root/src/input/dbf.cpp $root/src/input/files.cpp $root/src/input/crs.cpp $root/src/input/wkt.cpp $root/src/text/scan.cpp $root/src/text/report.cpp"

# Every source of the converter but its main(), compiled once into objects;
# the preview and the drawing styles belong to other programs.
build_program_objects() {
    mkdir -p "$out/obj"
    objects=""
    local source object
    for source in $(find "$root/src" -name '*.cpp' ! -path "$root/src/app/main.cpp" ! -path "$root/src/preview/*" \
        ! -path "$root/src/style/*" | sort); do
        object="$out/obj/$(echo "${source#"$root"/src/}" | tr / _).o"
        if [ ! -f "$object" ] || [ "$source" -nt "$object" ] ||
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
    shp_fuzz | dbf_fuzz | scan_fuzz | wkt_fuzz)
        $cxx $flags "$root/fuzz/$target.cpp" $readers -o "$out/$target" ;;
    mp_reader_fuzz)
        $cxx $flags "$root/fuzz/$target.cpp" "$root/src/preview/mp_reader.cpp" "$root/src/text/report.cpp" \
            -o "$out/$target" ;;
    *)
        [ -n "$objects" ] || build_program_objects
        $cxx $flags "$root/fuzz/$target.cpp" $objects -o "$out/$target" ;;
    esac
done

# Seeds: small well-formed inputs written by the test fixture writer, plus the
# inputs kept from earlier findings.
rm -rf "$out/corpus"
for target in $all; do mkdir -p "$out/corpus/$target"; done
g++ -std=c++20 -I"$root/tests" "$root/fuzz/make_seeds.cpp" "$root/tests/support/shapefile_writer.cpp" \
    -o "$out/make_seeds"
"$out/make_seeds" "$out/corpus"
for target in $all; do
    regressions="$root/tests/fuzz/regressions/$target"
    [ -d "$regressions" ] && cp "$regressions"/* "$out/corpus/$target/" 2>/dev/null || true
done

# The scratch files of the whole-run targets go to memory where it can.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
# Longest input per target: enough for several records of every kind, short
# enough that the per-input work stays small.
max_len() {
    case $1 in
    dbf_fuzz | type_file_fuzz | list_line_fuzz | sheet_fuzz | scan_fuzz | wkt_fuzz) echo 1024 ;;
    layer_fuzz | run_fuzz) echo 2048 ;;
    *) echo 4096 ;;
    esac
}
if [ -n "${FUZZ_RUNS:-}" ]; then limit="-runs=$FUZZ_RUNS"; else limit="-max_total_time=$seconds"; fi
for target in $targets; do
    echo "== running $target ($limit)"
    # The programs' own output is muted; libFuzzer keeps its report.
    (cd "$out" && "./$target" $limit -close_fd_mask=3 -print_final_stats=1 -rss_limit_mb=2048 -max_len="$(max_len "$target")" \
        -artifact_prefix="$out/$target-" "$out/corpus/$target")
done
