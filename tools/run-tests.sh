#!/usr/bin/env bash
# Builds and runs every test twice: a normal build, and a debug build under
# AddressSanitizer and UndefinedBehaviorSanitizer.
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

ensure_packages cmake ninja-build g++ libgtest-dev mkgmap pkg-config libcairo2-dev fonts-dejavu-core gdal-bin \
    dpkg-dev file libproj-dev proj-data

normal="$GEOCONV_ROOT/$GEOCONV_BUILD"
sanitized="$GEOCONV_ROOT/$GEOCONV_BUILD-asan"

echo "== normal build: $normal"
configure "$normal" -DCMAKE_BUILD_TYPE=Release -DGEOCONV_TESTS=ON
ninja -C "$normal" -j "$GEOCONV_JOBS"
ctest --test-dir "$normal" --output-on-failure --no-tests=error -j "$GEOCONV_JOBS"

echo "== sanitizer build: $sanitized"
configure "$sanitized" -DCMAKE_BUILD_TYPE=Debug -DGEOCONV_SANITIZE=ON -DGEOCONV_TESTS=ON
ninja -C "$sanitized" -j "$GEOCONV_JOBS"
ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}" \
UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}" \
LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$GEOCONV_ROOT/tools/lsan-suppressions.txt:print_suppressions=0}" \
    ctest --test-dir "$sanitized" --output-on-failure --no-tests=error -j "$GEOCONV_JOBS"

echo "== all tests passed"
