#!/usr/bin/env bash
# Builds the packages: a Debian package of geoconv with its manual page
# ($GEOCONV_BUILD-package/geoconv_VERSION_ARCH.deb) and a Windows zip holding
# geoconv.exe and the README ($GEOCONV_BUILD-windows/geoconv-VERSION-win64.zip).
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

ensure_packages cmake ninja-build g++ dpkg-dev file g++-mingw-w64-x86-64-posix libproj-dev

linux="$GEOCONV_ROOT/$GEOCONV_BUILD-package"
windows="$GEOCONV_ROOT/$GEOCONV_BUILD-windows"
configure "$linux" -DCMAKE_BUILD_TYPE=Release -DGEOCONV_TESTS=OFF
ninja -C "$linux" -j "$GEOCONV_JOBS" geoconv
(cd "$linux" && cpack -G DEB >/dev/null)
configure "$windows" -DCMAKE_TOOLCHAIN_FILE="$GEOCONV_ROOT/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DGEOCONV_TESTS=OFF
ninja -C "$windows" -j "$GEOCONV_JOBS" geoconv
(cd "$windows" && cpack -G ZIP >/dev/null)
ls "$linux"/geoconv_*.deb "$windows"/geoconv-*-win64.zip
