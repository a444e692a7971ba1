#!/usr/bin/env bash
# Builds the packages: a Debian package of geoconv, geoconv-preview, geoconv-typ,
# geoconv-make-all and geoconv-compile with their manual pages
# ($GEOCONV_BUILD-package/geoconv_VERSION_ARCH.deb), checked by lintian, and a
# Windows zip holding geoconv.exe and the README
# ($GEOCONV_BUILD-windows/geoconv-VERSION-win64.zip). The status is 1 when
# lintian reports an error or a warning.
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

ensure_packages cmake ninja-build g++ dpkg-dev file g++-mingw-w64-x86-64-posix pkg-config libcairo2-dev lintian \
    libproj-dev

linux="$GEOCONV_ROOT/$GEOCONV_BUILD-package"
windows="$GEOCONV_ROOT/$GEOCONV_BUILD-windows"
configure "$linux" -DCMAKE_BUILD_TYPE=Release -DGEOCONV_TESTS=OFF
ninja -C "$linux" -j "$GEOCONV_JOBS" geoconv geoconv-preview geoconv-typ man_pages package_changelog
rm -f "$linux"/geoconv_*.deb
(cd "$linux" && cpack -G DEB >/dev/null)
# --fail-on error,warning: the exceptions the package makes on purpose stand
# in its override file with their reasons.
lintian --fail-on error,warning "$linux"/geoconv_*.deb
configure "$windows" -DCMAKE_TOOLCHAIN_FILE="$GEOCONV_ROOT/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DGEOCONV_TESTS=OFF
ninja -C "$windows" -j "$GEOCONV_JOBS" geoconv
(cd "$windows" && cpack -G ZIP >/dev/null)
ls "$linux"/geoconv_*.deb "$windows"/geoconv-*-win64.zip
