#!/usr/bin/env bash
# tools/mutants.sh [N] [SEED]: how many small faults the tests catch. Applies
# N seeded one-line mutations to src/ one at a time, rebuilds the release test
# build in build-mutants/ incrementally, runs the test programs quickest first
# until one fails, restores the file, and prints the mutants killed and those
# that survived. A mutant that does not compile counts apart and is replaced by
# the next one. The same N and SEED give the same mutants on the same source.
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

count="${1:-20}"
seed="${2:-1}"
cd "$GEOCONV_ROOT"
if [ -n "$(git status --porcelain -- src)" ]; then
    echo "mutants.sh: src/ has uncommitted changes; commit or stash them first" >&2
    exit 1
fi
ensure_packages cmake ninja-build g++ libgtest-dev mkgmap pkg-config libcairo2-dev fonts-dejavu-core gdal-bin \
    dpkg-dev file libproj-dev proj-data python3
calc() { awk "BEGIN { printf \"%.1f\", $1 }"; }

# Candidate sites from a sorted walk of src/, shuffled by SEED. "show K"
# prints the K-th mutant's file, line and mutation, "apply K" writes it.
sites=$(cat <<'PY'
import os, random, re, sys

def masked(line, in_comment):
    """The line with comments and literals blanked, and the comment state after it."""
    out, i, quote = [], 0, None
    while i < len(line):
        c, two = line[i], line[i:i + 2]
        if in_comment:
            if two == "*/":
                in_comment = False
                out.append("  ")
                i += 2
                continue
            out.append(" ")
        elif quote:
            if c == "\\":
                out.append("  ")
                i += 2
                continue
            if c == quote:
                quote = None
            out.append(c if quote is None else " ")
        elif two == "//":
            break
        elif two == "/*":
            in_comment = True
            out.append("  ")
            i += 2
            continue
        elif c in "\"'":
            quote = c
            out.append(c)
        else:
            out.append(c)
        i += 1
    return "".join(out).ljust(len(line)), in_comment

FLIP = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}
DECLARATION = re.compile(r"(return|using|namespace|typedef|static_assert|case|default|auto|const|constexpr|static|"
                         r"inline|extern|template|friend|struct|class|enum|bool|char|int|unsigned|long|double|float|"
                         r"size_t|u?int\d+_t|std::)\b")
ROW = re.compile(r"^\s*\{.*\},\s*$")

def candidates(root):
    found = []
    for folder, dirs, files in os.walk(os.path.join(root, "src")):
        dirs.sort()
        for name in sorted(files):
            if not name.endswith((".cpp", ".hpp")):
                continue
            path = os.path.join(folder, name)
            lines = open(path, encoding="utf-8").read().split("\n")
            code, state = [], False
            for line in lines:
                text, state = masked(line, state)
                code.append(text)
            before = ";"
            for n, text in enumerate(code):
                stripped = text.strip()
                if not stripped or stripped.startswith("#"):
                    continue
                site = (os.path.relpath(path, root), n)
                for m in re.finditer(r"(?<=\s)(<=|>=|==|!=|<|>)(?=\s)", text):
                    found.append(site + ("flip", m.start(), m.group(), FLIP[m.group()]))
                for m in re.finditer(r"!(?!=)", text):
                    found.append(site + ("drop", m.start(), "!", ""))
                for m in re.finditer(r"(?<![\w.'])\d+(?![\w.'])", text):
                    value = int(m.group())
                    found.append(site + ("constant", m.start(), m.group(),
                                         str(value + 1 if value == 0 or n % 2 else value - 1)))
                if ROW.match(text) and n + 1 < len(code) and ROW.match(code[n + 1]):
                    found.append(site + ("swap", 0, "", ""))
                if (stripped.endswith(";") and before[-1] in ";{}:" and not re.search(r"[{}]", stripped)
                        and not DECLARATION.match(stripped)):
                    found.append(site + ("delete", 0, lines[n].strip(), ""))
                before = stripped
    random.Random(int(sys.argv[2])).shuffle(found)
    return found

mode, root, k = sys.argv[1], sys.argv[3], int(sys.argv[4])
found = candidates(root)
if k >= len(found):
    sys.exit(1)
path, n, kind, col, old, new = found[k]
full = os.path.join(root, path)
lines = open(full, encoding="utf-8").read().split("\n")
if kind == "swap":
    lines[n], lines[n + 1] = lines[n + 1], lines[n]
    what = "swap rows %d and %d" % (n + 1, n + 2)
elif kind == "delete":
    lines[n] = ""
    what = "delete '%s'" % old
else:
    lines[n] = lines[n][:col] + new + lines[n][col + len(old):]
    what = "%s '%s'%s: %s" % (kind, old, " -> '%s'" % new if kind != "drop" else "", lines[n].strip())
if mode == "apply":
    open(full, "w", encoding="utf-8").write("\n".join(lines))
else:
    print("%s\t%d\t%s" % (path, n + 1, what))
PY
)

dir="$GEOCONV_ROOT/build-mutants"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
configure "$dir" -DCMAKE_BUILD_TYPE=Release -DGEOCONV_TESTS=ON "${launcher[@]}"
log="$dir/mutants.log"
echo "== building $dir"
ninja -C "$dir" -j "$GEOCONV_JOBS" >"$log" 2>&1 || { cat "$log"; exit 1; }

# The test programs as ctest runs them, one line each: target, working
# directory, command; a gtest program runs whole and stops at its first failure.
ctest --test-dir "$dir" --show-only=json-v1 | python3 -c '
import json, os, shlex, sys
seen = set()
for test in json.load(sys.stdin)["tests"]:
    props = {p["name"]: p["value"] for p in test.get("properties", [])}
    command = test.get("command")
    if not command:
        continue
    if any(a.startswith("--gtest_filter") for a in command):
        command = [command[0], "--gtest_fail_fast", "--gtest_brief=1"]
    role = "setup" if "FIXTURES_SETUP" in props else "test"
    line = "\t".join([role, os.path.basename(command[0]), props.get("WORKING_DIRECTORY", "."), shlex.join(command)])
    if line not in seen:
        seen.add(line)
        print(line)
' >"$dir/programs.tsv"

# Baseline: every program must pass on the clean source; its time orders the
# programs and sets its limit (three times as long, and ten seconds).
echo "== baseline run"
: >"$dir/timed.tsv"
while IFS=$'\t' read -r -u 3 role target workdir command; do
    start=$EPOCHREALTIME
    (cd "$workdir" && eval "$command") </dev/null >"$log" 2>&1 || { cat "$log"; echo "mutants.sh: $target fails on the clean source" >&2; exit 1; }
    if [ "$role" = test ]; then
        printf '%s\t%s\t%s\t%s\n' "$(calc "$EPOCHREALTIME - $start")" "$target" "$workdir" "$command" >>"$dir/timed.tsv"
    fi
done 3< <(sort "$dir/programs.tsv")   # "setup" lines before "test" ones
sort -g "$dir/timed.tsv" -o "$dir/timed.tsv"

mutated=""
restore() {
    if [ -n "$mutated" ]; then
        git checkout -q -- "$mutated"
    fi
    mutated=""
}
trap restore EXIT
trap 'exit 130' INT TERM

killed=0 survived=0 broken=0 killed_time=0 survived_time=0
survivors=()
k=0
while [ $((killed + survived)) -lt "$count" ]; do
    site=$(python3 -c "$sites" show "$seed" "$GEOCONV_ROOT" "$k") || { echo "mutants.sh: no more candidate sites" >&2; break; }
    IFS=$'\t' read -r file line what <<<"$site"
    mutated="$file"
    python3 -c "$sites" apply "$seed" "$GEOCONV_ROOT" "$k"
    k=$((k + 1))
    start=$EPOCHREALTIME
    verdict=survived
    while IFS=$'\t' read -r -u 3 seconds target workdir command; do
        # A program the mutated file does not reach is the one that passed.
        if ninja -C "$dir" -n "$target" 2>/dev/null | grep -q "no work to do"; then
            continue
        fi
        if ! ninja -C "$dir" -j "$GEOCONV_JOBS" "$target" >"$log" 2>&1; then
            verdict=broken
            if grep -q "Error running test executable" "$log"; then   # built, but fails to list its tests
                verdict=killed
                reason="$target fails to start"
            fi
            break
        fi
        limit=$(calc "$seconds * 3 + 10")
        status=0
        (cd "$workdir" && eval "timeout -k 5 $limit $command") </dev/null >"$log" 2>&1 || status=$?
        if [ "$status" -ne 0 ]; then
            verdict=killed
            reason="$target exited $status"
            [ "$status" -eq 124 ] && reason="$target hung (over ${limit}s)"
            break
        fi
    done 3<"$dir/timed.tsv"
    restore
    seconds=$(calc "$EPOCHREALTIME - $start")
    case "$verdict" in
        killed) killed=$((killed + 1)); killed_time=$(calc "$killed_time + $seconds")
                printf 'killed    %s:%s %s (%s, %.0fs)\n' "$file" "$line" "$what" "$reason" "$seconds" ;;
        survived) survived=$((survived + 1)); survived_time=$(calc "$survived_time + $seconds")
                survivors+=("$file:$line $what")
                printf 'SURVIVED  %s:%s %s (%.0fs)\n' "$file" "$line" "$what" "$seconds" ;;
        broken) broken=$((broken + 1))
                printf 'no build  %s:%s %s (%.0fs)\n' "$file" "$line" "$what" "$seconds" ;;
    esac
done

echo "== seed $seed: $killed killed, $survived survived of $((killed + survived)); $broken did not compile"
if [ "$killed" -gt 0 ]; then
    echo "mean time: killed $(calc "$killed_time / $killed")s"
fi
if [ "$survived" -gt 0 ]; then
    echo "mean time: survived $(calc "$survived_time / $survived")s"
fi
for survivor in "${survivors[@]}"; do
    echo "survivor: $survivor"
done
