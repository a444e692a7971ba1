#!/usr/bin/env bash
# Cross-builds geoconv.exe with MinGW-w64 and runs it under Wine beside the
# Linux build, on the same sheet tree (the sample sheets, and the directories
# of tools/windows_tree.cpp):
#
#  1. `geoconv -b -s` in the tree, then make_all.bat through Wine's command
#     interpreter, against tools/make-all.sh on Linux: the same script,
#     CR LF line ends, the same maps (the ";plik" lines hold Windows paths
#     there and are compared as paths), the same statistics and notes, the
#     same messages (paths compared as paths);
#  2. one list file with relative paths for both builds (CR LF ends, blanks,
#     upper-case names, a Ctrl-Z line, a missing file, a file of over 4 GiB):
#     maps, standard output and standard error byte for byte;
#  3. a list file in code page 1250 with a drive letter, backslashes, blanks
#     and Polish letters, and a Polish path on the command line: the same
#     objects as the Linux build's run on the same files;
#  4. on a terminal with a UTF-8 locale, the Windows console shows the same
#     text as the Linux terminal;
#  5. a layer in a projected system: refused by the Windows program (built
#     without PROJ) with its message, transformed by the Linux one.
#
# The Wine prefix lives in the Windows build directory ($GEOCONV_BUILD-windows)
# and is made on the first run (the slow part: about half a minute).
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

ensure_packages cmake ninja-build g++ libgtest-dev g++-mingw-w64-x86-64-posix wine wine64 bsdutils \
    libproj-dev proj-data
start=$SECONDS
export LC_ALL=C  # the texts compared are code page 1250 bytes
# Wine names Linux files in the locale's character set: UTF-8, as on disk.
wine() { LC_ALL=C.UTF-8 command wine "$@"; }

linux="$GEOCONV_ROOT/$GEOCONV_BUILD"
windows="$GEOCONV_ROOT/$GEOCONV_BUILD-windows"
echo "== Linux build: $linux"
configure "$linux" -DCMAKE_BUILD_TYPE=Release -DGEOCONV_TESTS=ON
ninja -C "$linux" -j "$GEOCONV_JOBS" geoconv sample_sheets windows_tree
echo "== Windows build: $windows"
configure "$windows" -DCMAKE_TOOLCHAIN_FILE="$GEOCONV_ROOT/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DGEOCONV_TESTS=OFF
ninja -C "$windows" -j "$GEOCONV_JOBS" geoconv

export WINEDEBUG=-all WINEPREFIX="$windows/wineprefix"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "== Wine prefix: $WINEPREFIX"
    boot=$SECONDS
    # No Mono or Gecko prompts: the test needs neither.
    WINEDLLOVERRIDES="mscoree,mshtml=" wineboot --init >/dev/null 2>&1 </dev/null
    wineserver --wait
    echo "prefix made in $((SECONDS - boot)) s"
fi

# The Windows name of a Linux path: Wine's drive Z: is the root.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

exe="$windows/geoconv.exe"
work="$windows/wine-test"
rm -rf "$work"
mkdir -p "$work"
for side in win lin; do
    "$linux/sample_sheets" "$work/$side" >/dev/null
    "$linux/windows_tree" "$work/$side"
done

failures=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}
same() {  # same FILE1 FILE2 WHAT (files or process substitutions)
    cat "$1" >"$work/.first" 2>/dev/null || true  # a missing file compares as empty
    cat "$2" >"$work/.second" 2>/dev/null || true
    cmp -s "$work/.first" "$work/.second" || {
        fail "$3 differ"
        diff -a "$work/.first" "$work/.second" | head -20 || true
    }
}
# A Windows run's text with its paths written as the Linux run's.
unwin() { sed -e "s|$(winpath "$work/win" | sed 's|\\|\\\\|g')|$work/lin|g" -e 's|\\|/|g' "$1"; }

echo "== 1. make_all.bat under Wine's command interpreter"
# The script's status is that of its last line, not of geoconv: the maps and
# messages below tell whether it ran. make-all.sh ends with 3 on the samples
# (geoconv's status 2: their layer LAWKIP is unknown on purpose).
(cd "$work/win" && wine "$exe" -b -s >../run.win.out 2>../run.win.err &&
    WINEPATH="$(winpath "$windows")" wine cmd /c make_all.bat >>../run.win.out 2>>../run.win.err) || true
status=0
GEOCONV="$linux/geoconv" bash "$GEOCONV_ROOT/tools/make-all.sh" -j 1 "$work/lin" -s \
    >"$work/run.lin.out" 2>"$work/run.lin.err" || status=$?
[ "$status" = 3 ] || fail "tools/make-all.sh ended with status $status, not 3"
same "$work/win/make_all.bat" "$work/lin/make_all.bat" "make_all.bat of the two builds"
if grep -qv $'\r$' "$work/win/make_all.bat"; then fail "make_all.bat has a line without CR LF"; fi

maps_win=$(cd "$work/win" && ls -- *.mp 2>/dev/null | tr '\n' ' ')
maps_lin=$(cd "$work/lin" && ls -- *.mp 2>/dev/null | tr '\n' ' ')
[ "$maps_win" = "75831572.mp 75831573.mp " ] || fail "maps written under Wine: $maps_win"
[ "$maps_win" = "$maps_lin" ] || fail "maps written: Windows $maps_win, Linux $maps_lin"
for map in $maps_win; do
    same <(grep -av '^;plik ' "$work/win/$map") <(grep -av '^;plik ' "$work/lin/$map") "objects of $map"
    same <(grep -a '^;plik ' "$work/win/$map" | unwin /dev/stdin) <(grep -a '^;plik ' "$work/lin/$map") \
        "input paths of $map"
done
grep -aq '^pominiete m36001ab$' "$work/run.win.out" || fail "m36001ab was not reported under Wine"
grep -aq '^Liczba obiektow: 318$' "$work/run.win.out" || fail "no statistics under Wine"
same "$work/run.win.out" "$work/run.lin.out" "statistics and notes of the make_all.bat runs"
# make-all.sh's own notes (geoconv's status 2 for the sample) have no Windows counterpart.
same <(unwin "$work/run.win.err") <(grep -av '^make-all.sh: ' "$work/run.lin.err") "messages of the make_all.bat runs"

echo "== 2. one list file with relative paths"
for side in win lin; do
    printf '%s\r\n' '-i 00000042 Lista wspolna' 'm34131ab/AIRPORTP.shp' '  dane z lasu/ROADL.shp  ' \
        'm34132ab/ROADL.SHP' $'\x1a' 'brak/ROADL.shp' 'big/ROADL.shp' 'm34131cd/szlaki.mp' \
        '-i 43 Druga' 'm34131cd/FORESTA.shp' >"$work/$side/same.lst"
    mkdir -p "$work/$side/big"
    truncate -s 4294967496 "$work/$side/big/ROADL.shp"  # sparse: 4 GiB and 200 bytes
    cp "$work/$side/dane z lasu/ROADL.dbf" "$work/$side/big/"
done
# A missing file and one of over 4 GiB: both builds end with status 2.
win_status=0 lin_status=0
(cd "$work/win" && wine "$exe" -s -@ same.lst >../same.win.out 2>../same.win.err) || win_status=$?
(cd "$work/lin" && "$linux/geoconv" -s -@ same.lst >../same.lin.out 2>../same.lin.err) || lin_status=$?
[ "$win_status/$lin_status" = 2/2 ] || fail "exit status of the list: Windows $win_status, Linux $lin_status, not 2"
for map in 00000042.mp 00000043.mp; do
    [ -f "$work/win/$map" ] || fail "$map not written under Wine"
    same "$work/win/$map" "$work/lin/$map" "$map of the list"
done
same "$work/same.win.out" "$work/same.lin.out" "standard output of the list"
same "$work/same.win.err" "$work/same.lin.err" "standard error of the list"
grep -aq '^blad seek pliku big/ROADL.shp$' "$work/same.lin.err" || fail "a file of over 4 GiB was not refused"

echo "== 3. Polish letters, drive letters and backslashes"
polish="dane z łąki"
{
    printf '%s\r\n' '-i 44 Łąka' "$(winpath "$work/win/$polish/AIRPORTP.shp")" "$(winpath "$work/win/$polish")\\ROADL.shp"
} | iconv -f UTF-8 -t CP1250 >"$work/win/polish.lst"
{
    printf '%s\r\n' '-i 44 Łąka' | iconv -f UTF-8 -t CP1250
    printf '%s\r\n' "$work/lin/$polish/AIRPORTP.shp" "$work/lin/$polish/ROADL.shp"
} >"$work/lin/polish.lst"
win_status=0 lin_status=0
(cd "$work/win" && wine "$exe" -@ polish.lst -i 45 X "$polish/BUILDNGA.shp" >../polish.win.out 2>../polish.win.err) ||
    win_status=$?
(cd "$work/lin" && "$linux/geoconv" -@ polish.lst -i 45 X "$polish/BUILDNGA.shp" >../polish.lin.out 2>../polish.lin.err) ||
    lin_status=$?
[ "$win_status" = "$lin_status" ] || fail "exit status of the Polish runs: Windows $win_status, Linux $lin_status"
for map in 00000044.mp 00000045.mp; do
    same <(grep -av '^;plik ' "$work/win/$map") <(grep -av '^;plik ' "$work/lin/$map") "objects of $map"
done
same <(grep -a '^;plik ' "$work/win/00000044.mp" "$work/win/00000045.mp") \
    <(printf ';plik %s\n' "$(winpath "$work/win/$polish/AIRPORTP.shp")" "$(winpath "$work/win/$polish")\\ROADL.shp" |
        iconv -f UTF-8 -t CP1250 | sed "s|^|$work/win/00000044.mp:|"
      printf ';plik %s\n' "$polish/BUILDNGA.shp" | iconv -f UTF-8 -t CP1250 | sed "s|^|$work/win/00000045.mp:|") \
    "Polish input paths as the Windows build writes them"
grep -aq '^;plik .*ROADL.shp$' "$work/win/00000044.mp" || fail "the Polish list's files were not converted"
same "$work/polish.win.out" "$work/polish.lin.out" "standard output of the Polish runs"

echo "== 4. a terminal with a UTF-8 locale"
mkdir -p "$work/empty"
# The console draws a screen: escape sequences (a run of blanks as a cursor
# move), CR LF, tabs as blanks and lines wrapped at its width; the text is
# what counts.
onTerminal() { (cd "$work/empty" && LC_ALL=C.UTF-8 script -qec "stty cols 250; $*" /dev/null </dev/null) |
    perl -pe 's/\e\[(\d*)C/" " x ($1 || 1)/ge; s/\e\[[0-9;?]*[a-zA-Z]//g; s/\r//g' | expand; }
for options in "-b" "-?"; do
    same <(onTerminal wine "$exe" "$options") <(onTerminal "$linux/geoconv" "$options") "terminal text of geoconv $options"
done
onTerminal wine "$exe" -b | grep -a 'brak katalogów' >/dev/null || fail "the console does not show brak katalogów"

echo "== 5. a layer in a projected system"
# The Windows program is built without PROJ: it refuses the layer, while the
# Linux program transforms it.
for side in win lin; do
    mkdir -p "$work/$side/utm"
    cp "$work/$side/m34131ab/AIRPORTP.shp" "$work/$side/m34131ab/AIRPORTP.dbf" "$work/$side/utm/"
    cp "$GEOCONV_ROOT/tests/data/e2e/utm34_esri.prj" "$work/$side/utm/AIRPORTP.prj"
done
(cd "$work/win" && wine "$exe" -i 46 Utm utm/AIRPORTP.shp >/dev/null 2>../utm.win.err) || true
(cd "$work/lin" && "$linux/geoconv" -i 46 Utm utm/AIRPORTP.shp >/dev/null 2>/dev/null) || true
same "$work/utm.win.err" <(printf 'brak obslugi ukladu wspolrzednych, plik utm/AIRPORTP.prj\n') \
    "the refusal of a projected layer under Wine"
if grep -aq '^;plik ' "$work/win/00000046.mp"; then fail "a projected layer was converted under Wine"; fi
if ! grep -aq '^;plik utm/AIRPORTP.shp$' "$work/lin/00000046.mp"; then
    fail "the Linux build did not convert a projected layer"
fi

echo "Windows test: $((SECONDS - start)) s"
if [ "$failures" -ne 0 ]; then
    echo "== Windows test: $failures failed"
    exit 1
fi
echo "== Windows test passed"
