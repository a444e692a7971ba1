#!/usr/bin/env bash
# Line and branch coverage of src/ by the test suite: builds build-coverage/
# with gcov counters, runs every test, and prints the figures of src/ alone
# (the tests, tools and benchmarks are left out). The summary is also written
# to build-coverage/coverage-summary.txt, the per-file table beside it.
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

ensure_packages cmake ninja-build g++ libgtest-dev mkgmap pkg-config libcairo2-dev fonts-dejavu-core gdal-bin \
    dpkg-dev file libproj-dev proj-data gcovr

dir="$GEOCONV_ROOT/build-coverage"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
configure "$dir" -DCMAKE_BUILD_TYPE=Coverage -DGEOCONV_TESTS=ON "${launcher[@]}"
ninja -C "$dir" -j "$GEOCONV_JOBS"
find "$dir" -name '*.gcda' -delete   # counts of earlier runs
rm -f "$dir/gcov-errors.txt"
# The counters' own complaints (a test's file size limit stops their writing
# too) go to a file, not into the messages the tests compare. A failing test
# still leaves its counts; the figures are printed either way.
status=0
GCOV_ERROR_FILE="$dir/gcov-errors.txt" \
    ctest --test-dir "$dir" --output-on-failure --no-tests=error -j "$GEOCONV_JOBS" || status=$?

gcovr --root "$GEOCONV_ROOT" --filter "$GEOCONV_ROOT/src/" --object-directory "$dir" -j "$GEOCONV_JOBS" \
    --exclude-throw-branches --exclude-unreachable-branches \
    --txt "$dir/coverage-files.txt" --print-summary "$dir" | tee "$dir/coverage-summary.txt"
echo "summary: $dir/coverage-summary.txt, per file: $dir/coverage-files.txt"
# Tests that limit the file size or kill the program can cut a counter file
# short; the runs merged into it after that are lost, so its figures are low.
if [ -s "$dir/gcov-errors.txt" ]; then
    echo "$(grep -c . "$dir/gcov-errors.txt") counter writes failed or did not merge (see $dir/gcov-errors.txt): those files' figures are a lower bound"
fi
exit "$status"
