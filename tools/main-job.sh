#!/usr/bin/env bash
# Builds geoconv and runs it in run/ of the checkout: prints the object
# catalogue and writes an empty map.
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

ensure_packages cmake ninja-build g++
build="$GEOCONV_ROOT/$GEOCONV_BUILD"
configure "$build" -DCMAKE_BUILD_TYPE=Release -DGEOCONV_TESTS=OFF
ninja -C "$build" -j "$GEOCONV_JOBS" geoconv

run="$GEOCONV_ROOT/run"
mkdir -p "$run"
cd "$run"
echo "== geoconv -d"
"$build/geoconv" -d
echo "== geoconv -i 1 Przyklad"
"$build/geoconv" -i 1 Przyklad
echo "== run/00000001.mp"
cat 00000001.mp
