#!/usr/bin/env bash
# Converts a tree of map sheets on Linux the way make_all.bat does on Windows.
#
#   tools/make-all.sh [-j N] [-B] DIR [OPTION...]
#
# In DIR it runs `geoconv -b OPTION...` (or `-B`), which writes make_all.bat
# for the sheet directories it finds there, and then carries out that script:
# cd, `dir /b /s PATTERN` (the absolute paths of the matching files below the
# current directory, letter case ignored; a directory's files before its
# subdirectories, each level in case-insensitive name order), the geoconv
# lines, echo, del and the > and >> redirections. The sheet rules and MapIDs
# are the program's alone: this script only reads what it wrote.
#
# The blank-line separated blocks of the script (one per map with -b, one for
# all with -B) run in parallel, at most N at a time (default: the number of
# cores). Each block's standard output and standard error are printed whole,
# in script order. The maps land in DIR.
#
# The program is $GEOCONV, else the geoconv installed beside this script, else
# build/geoconv of this checkout ($GEOCONV_BUILD names another build directory).
#
# Exit status: 0 when every block ran and wrote its maps and the program
# converted every input; 1 when the program wrote no script (no sheet
# directory) or a block failed (the other blocks still run; a map the block
# could not write keeps the map of an earlier run); 2 for a wrong command
# line; 3 when every map was written but the program ended with its status 2
# somewhere: an input, list or argument it refused, named in its messages
# (the sample sheets give 3: one of their layers is unknown on purpose).
set -uo pipefail

self=$(basename "$0")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")

usage() {
    echo "usage: $self [-j N] [-B] DIR [OPTION...]" >&2
    exit 2
}

jobs=$(nproc 2>/dev/null || echo 2)
mode=-b
while [ $# -gt 0 ]; do
    case $1 in
    -j) [ $# -ge 2 ] || usage; jobs=$2; shift 2 ;;
    -j*) jobs=${1#-j}; shift ;;
    -B) mode=-B; shift ;;
    -b) mode=-b; shift ;;
    -h | --help) usage ;;
    --) shift; break ;;
    -*) echo "$self: unknown option $1" >&2; usage ;;
    *) break ;;
    esac
done
[ $# -ge 1 ] || usage
[[ $jobs =~ ^[1-9][0-9]*$ ]] || { echo "$self: -j takes a positive number, not '$jobs'" >&2; exit 2; }
dir=$1
shift

# Installed, the program stands beside this script; in a checkout, in its
# build directory.
program=$here/geoconv
[ -x "$program" ] || program=$root/${GEOCONV_BUILD:-build}/geoconv
program=${GEOCONV:-$program}
[[ $program == */* ]] || program=$(command -v "$program") || program=${GEOCONV:-}
[ -x "$program" ] || { echo "$self: no program at $program (build it, or set GEOCONV)" >&2; exit 2; }
[[ $program == /* ]] || program=$PWD/$program
cd "$dir" 2>/dev/null || { echo "$self: cannot enter $dir" >&2; exit 2; }
top=$PWD

# --- the script --------------------------------------------------------------

# Which file stands at $1 (none: empty): a file written again, or replaced by
# a new one, reads differently.
identity() { stat -L -c '%d:%i:%.9Y:%s' -- "$1" 2>/dev/null; }

# The program replaces make_all.bat only with a complete script; a run that
# wrote none leaves an older one as it was.
script_before=$(identity make_all.bat)
"$program" "$mode" "$@"
if [ ! -f make_all.bat ] || [ "$(identity make_all.bat)" = "$script_before" ]; then
    echo "$self: $program $mode wrote no make_all.bat in $top" >&2
    # A sheet folder in upper case is not one: say so rather than leave the
    # user with the program's "no directories".
    for name in */; do
        name=${name%/}
        if [ "$name" != "${name,,}" ] && [[ ${name,,} =~ ^[mn]3[345][0-9]{3}(ab|cd)$ ]]; then
            echo "$self: sheet folders are named in lower case: $name would be ${name,,}" >&2
            break
        fi
    done
    exit 1
fi

mapfile -t script < make_all.bat
script=("${script[@]%$'\r'}")

# Blocks: runs of non-empty lines.
starts=()
ends=()
for ((n = 0; n < ${#script[@]}; n++)); do
    if [ -n "${script[n]}" ]; then
        { [ $n -eq 0 ] || [ -z "${script[n - 1]}" ]; } && starts+=("$n")
        { [ $((n + 1)) -eq ${#script[@]} ] || [ -z "${script[n + 1]}" ]; } && ends+=("$n")
    fi
done

# --- the commands --------------------------------------------------------------

# dir /b /s PATTERN in directory $1: the matching files below it, a
# directory's files before its subdirectories, each level in name order with
# the letters A to Z folded to upper case. Each path gets a key made of its
# folded names, files marked 0 and directories 1 at every level, so that one
# byte-wise sort of the keys gives that order. Linked directories are not
# entered, so a link loop cannot trap the walk.
list_matching() {
    find "$1" -mindepth 1 \( -type d -printf 'd%P\n' \) -o -printf 'f%P\n' 2>/dev/null |
        LC_ALL=C awk -v top="$1" -v pattern="$2" '
            BEGIN {
                # The pattern as an anchored regular expression: * any text, ? one character.
                re = ""
                for (i = 1; i <= length(pattern); i++) {
                    c = toupper(substr(pattern, i, 1))
                    if (c == "*") re = re ".*"
                    else if (c == "?") re = re "."
                    else if (c ~ /[A-Z0-9]/) re = re c
                    else if (c == "\\" || c == "^") re = re "\\" c
                    else re = re "[" c "]"
                }
                re = "^" re "$"
            }
            substr($0, 1, 1) == "f" {
                path = substr($0, 2)
                n = split(path, names, "/")
                if (toupper(names[n]) !~ re) next
                key = ""
                for (i = 1; i < n; i++) key = key "1" toupper(names[i]) "\001"
                printf "%s0%s\002%s/%s\n", key, toupper(names[n]), top, path
            }' |
        LC_ALL=C sort | sed 's/^[^\x02]*\x02//'
}

# Runs the command after the first two arguments with its output going into
# the script's file $2 (backslashes between its names): replaced for > ($1),
# appended to for >>. The file is made anew beside it and takes its place
# only when the command and every write succeeded, so that a list cut short
# (a full disk) is never read as a whole one.
write_into() {
    local sign=$1 target=${2//\\//} part
    shift 2
    part=$(dirname -- "$target")/.$(basename -- "$target").part
    if [ "$sign" = '>>' ] && [ -e "$target" ]; then cp -- "$target" "$part"; else : > "$part"; fi &&
        "$@" >> "$part" && mv -f -- "$part" "$target" && return 0
    rm -f -- "$part"
    return 1
}

# Runs lines $1..$2 of the script in a subshell of its own; the current
# directory starts at the top. A map named by -i must be written anew by its
# geoconv line: one that is missing, or still the earlier map (which the
# program keeps when it cannot write the new one), is a failure. Returns 0, 1
# for a failure, or 3 when the program reported inputs it could not convert
# (its status 2).
run_block() {
    local first=$1 last=$2 n line status=0 partial=0 id code
    local -a words maps=()
    local -A earlier
    local pattern_re='^dir /b /s ([^ ]+) (>>?) ?([^ ]+)( 2> ?NUL)?$'
    local echo_re='^echo (.*) (>>?) ?([^ ]+)$'
    local del_re='^del ([^ ]+)( 2> ?NUL)?$'
    cd "$top" || return 1
    for ((n = first; n <= last; n++)); do
        line=${script[n]}
        case $line in
        "@echo off") ;;
        "cd "*)
            line=${line#cd }
            cd -- "${line//\\//}" || { echo "$self: line $((n + 1)): cannot enter $line" >&2; return 1; }
            ;;
        "dir "*)
            [[ $line =~ $pattern_re ]] || { echo "$self: line $((n + 1)) not understood: $line" >&2; return 1; }
            write_into "${BASH_REMATCH[2]}" "${BASH_REMATCH[3]}" list_matching "$PWD" "${BASH_REMATCH[1]}" ||
                { echo "$self: line $((n + 1)): cannot write ${BASH_REMATCH[3]}" >&2; return 1; }
            ;;
        "echo "*)
            if [[ $line =~ $echo_re ]]; then
                read -r -a words <<< "${BASH_REMATCH[1]}"
                [ "${words[0]-}" = -i ] && maps+=("${words[1]-}")
                write_into "${BASH_REMATCH[2]}" "${BASH_REMATCH[3]}" printf '%s \n' "${BASH_REMATCH[1]}" ||
                    { echo "$self: line $((n + 1)): cannot write ${BASH_REMATCH[3]}" >&2; return 1; }
            else
                printf '%s\n' "${line#echo }"
            fi
            ;;
        "del "*)
            [[ $line =~ $del_re ]] || { echo "$self: line $((n + 1)) not understood: $line" >&2; return 1; }
            rm -f -- "${BASH_REMATCH[1]//\\//}"
            ;;
        geoconv | "geoconv "*)
            # Arguments are split at blanks, as the command interpreter splits them.
            read -r -a words <<< "${line#geoconv}"
            for ((id = 0; id + 1 < ${#words[@]}; id++)); do
                [ "${words[id]}" = -i ] && maps+=("${words[id + 1]}")
            done
            for id in "${maps[@]}"; do earlier[$id]=$(identity "$id.mp"); done
            "$program" "${words[@]}"
            code=$?
            if [ $code -eq 2 ]; then
                partial=1
                echo "$self: line $((n + 1)): $program ended with status 2: not every input was converted" >&2
            elif [ $code -ne 0 ]; then
                status=1
                echo "$self: line $((n + 1)): $program ended with status $code" >&2
            fi
            for id in "${maps[@]}"; do
                if [ ! -f "$id.mp" ]; then
                    status=1
                    echo "$self: map $id.mp was not written" >&2
                elif [ "$(identity "$id.mp")" = "${earlier[$id]}" ]; then
                    status=1
                    echo "$self: map $id.mp was not written; the earlier map stays in its place" >&2
                fi
            done
            maps=()
            ;;
        *)
            echo "$self: line $((n + 1)) not understood: $line" >&2
            return 1
            ;;
        esac
    done
    [ $status -eq 0 ] && [ $partial -eq 1 ] && return 3
    return $status
}

# --- the runner ------------------------------------------------------------------

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The program's messages reach the user as the program prints them itself:
# UTF-8 on a terminal under a UTF-8 locale, the code page 1250 bytes
# unchanged to files and pipes. The five bytes the code page leaves
# unassigned show as U+FFFD, carried through iconv as the substitute
# character.
utf8_locale=0
[[ $(locale charmap 2>/dev/null) =~ ^[Uu][Tt][Ff]-?8$ ]] && utf8_locale=1
pass_on() {
    if [ $utf8_locale = 1 ] && [ -t 1 ]; then
        LC_ALL=C sed 's/[\x81\x83\x88\x90\x98]/\x1a/g' "$1" | iconv -f CP1250 -t UTF-8 |
            LC_ALL=C sed 's/\x1a/\xef\xbf\xbd/g'
    else
        cat "$1"
    fi
}

count=${#starts[@]}
failed=0
partial=0
print_block() {
    local b=$1 rc
    pass_on "$work/$b.out"
    pass_on "$work/$b.err" >&2
    rc=$(cat "$work/$b.rc")
    if [ "$rc" = 3 ]; then
        partial=1
    elif [ "$rc" != 0 ]; then
        failed=1
        echo "$self: block at line $((starts[b] + 1)) of make_all.bat failed" >&2
    fi
}

next=0
printed=0
running=0
while [ $printed -lt $count ]; do
    while [ $next -lt $count ] && [ $running -lt "$jobs" ]; do
        (
            run_block "${starts[next]}" "${ends[next]}" > "$work/$next.out" 2> "$work/$next.err"
            echo $? > "$work/$next.rc.part"
            mv "$work/$next.rc.part" "$work/$next.rc"
        ) &
        next=$((next + 1))
        running=$((running + 1))
    done
    wait -n
    running=$((running - 1))
    while [ $printed -lt $next ] && [ -f "$work/$printed.rc" ]; do
        print_block $printed
        printed=$((printed + 1))
    done
done
wait
[ $failed -eq 0 ] && [ $partial -eq 1 ] && exit 3
exit $failed
