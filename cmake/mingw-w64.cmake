# Cross-build of geoconv.exe for 64-bit Windows with the MinGW-w64 compilers
# (posix threads variant, which std::filesystem and std::thread need).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(GEOCONV_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${GEOCONV_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${GEOCONV_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${GEOCONV_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${GEOCONV_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# One file that runs on a bare Windows: no compiler runtime DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# pkg-config looks among the Windows libraries only: the build machine's
# (cairo for the preview program) cannot link into a Windows program.
set(ENV{PKG_CONFIG_LIBDIR} /usr/${GEOCONV_MINGW_PREFIX}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
