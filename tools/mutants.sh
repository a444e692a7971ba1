#!/usr/bin/env bash
# tools/mutants.sh [N] [SEED]: how many small faults the tests catch. Applies
# N seeded one-line mutations to src/ one at a time, rebuilds the release test
# build in build-mutants/ incrementally, runs the tests the mutated file
# reaches on GEOCONV_JOBS lanes, quickest first, until one fails, restores the
# file, and prints the mutants killed and those
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

# Baseline: every program must pass on the clean source. Each gtest case's
# time splits its program into entries: a case of half a second or more runs
# alone, the rest of the program as one; the entries run quickest first.
echo "== baseline run"
: >"$dir/timed.tsv"
while IFS=$'\t' read -r -u 3 role target workdir command; do
    start=$EPOCHREALTIME
    (cd "$workdir" && eval "${command/ --gtest_brief=1/}") </dev/null >"$log" 2>&1 || { cat "$log"; echo "mutants.sh: $target fails on the clean source" >&2; exit 1; }
    if [ "$role" = test ]; then
        python3 - "$(calc "$EPOCHREALTIME - $start")" "$target" "$workdir" "$command" "$log" >>"$dir/timed.tsv" <<'PY'
import re, sys
seconds, target, workdir, command, log = sys.argv[1:]
slow = [(int(ms) / 1000, name) for name, ms in
        re.findall(r"^\[ +OK \] (\S+) \((\d+) ms\)$", open(log, errors="replace").read(), re.M) if int(ms) >= 500]
rest = float(seconds) - sum(s for s, _ in slow)
for s, name in slow:
    print("%.1f\t%s\t%s\t%s --gtest_filter=%s" % (s, target, workdir, command, name))
print("%.1f\t%s\t%s\t%s%s" % (max(rest, 0), target, workdir, command,
                                " --gtest_filter=-" + ":".join(n for _, n in slow) if slow else ""))
PY
    fi
done 3< <(sort "$dir/programs.tsv")   # "setup" lines before "test" ones
sort -g "$dir/timed.tsv" -o "$dir/timed.tsv"

# One mutant's verdict: builds the programs the mutated file reaches, then runs
# their entries on GEOCONV_JOBS lanes, one from the longest entry down, the
# others from the quickest up, until one fails (a kill; running past three
# times its clean run and ten seconds counts as one). Prints "killed REASON",
# "survived" or "broken".
judge=$(cat <<'PY'
import os, subprocess, sys, threading
dir, timed, cache, jobs, file = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4]), sys.argv[5]
entries = [line.rstrip("\n").split("\t") for line in open(timed)]
targets = sorted({e[1] for e in entries})
key = os.path.join(cache, file.replace("/", "_"))
if not os.path.exists(key):   # which programs the file reaches, found once per file
    reached = [t for t in targets if "no work to do" not in
               subprocess.run(["ninja", "-C", dir, "-n", t], capture_output=True, text=True).stdout]
    open(key, "w").write("\n".join(reached))
reached = set(open(key).read().split())
entries = [e for e in entries if e[1] in reached]
if not entries:
    print("survived"); sys.exit()
build = subprocess.run(["ninja", "-C", dir, "-j", str(jobs)] + sorted(reached), capture_output=True, text=True)
if build.returncode:
    print("killed a program fails to start" if "Error running test executable" in build.stdout else "broken")
    sys.exit()
lock, verdict, running = threading.Lock(), [], set()
def lane(longest):   # the first lane takes the longest entries, the others the quickest
    while True:
        with lock:
            if verdict or not entries:
                return
            seconds, target, workdir, command = entries.pop(-1 if longest else 0)
            limit = float(seconds) * 3 + 10
            p = subprocess.Popen(command, shell=True, cwd=workdir, stdin=subprocess.DEVNULL,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
            running.add(p)
        try:
            status = p.wait(timeout=limit)
            reason = "%s exited %d" % (target, status)
        except subprocess.TimeoutExpired:
            os.killpg(p.pid, 9)
            p.wait()
            status, reason = -1, "%s hung (over %.0fs)" % (target, limit)
        with lock:
            running.discard(p)
            if status and not verdict:
                case = command.split("--gtest_filter=")[1] if "--gtest_filter=" in command else ""
                verdict.append(reason + (" (" + case[:60] + ")" if case and not case.startswith("-") else ""))
                for other in running:
                    os.killpg(other.pid, 9)
lanes = [threading.Thread(target=lane, args=(jobs > 1 and n == 0,)) for n in range(jobs)]
for t in lanes: t.start()
for t in lanes: t.join()
print("killed " + verdict[0] if verdict else "survived")
PY
)
reach="$dir/reach"
rm -rf "$reach" && mkdir -p "$reach"

mutated=""
restore() {
    if [ -n "$mutated" ]; then
        git checkout -q -- "$mutated"
    fi
    mutated=""
}
trap restore EXIT
trap 'exit 130' INT TERM

# MUTANTS_SKIP=FILE: mutants listed there as "file:line mutation" (the
# "survivor:" lines of an earlier run) are counted as skipped, not run, so a
# second run on the same seed checks that every mutant killed before still is.
skip="${MUTANTS_SKIP:-/dev/null}"
killed=0 survived=0 broken=0 skipped=0 killed_time=0 survived_time=0
survivors=()
k=0
while [ $((killed + survived + skipped)) -lt "$count" ]; do
    site=$(python3 -c "$sites" show "$seed" "$GEOCONV_ROOT" "$k") || { echo "mutants.sh: no more candidate sites" >&2; break; }
    IFS=$'\t' read -r file line what <<<"$site"
    if sed 's/^survivor: //' "$skip" | grep -qxF "$file:$line $what"; then
        skipped=$((skipped + 1)) k=$((k + 1))
        printf 'skipped   %s:%s %s\n' "$file" "$line" "$what"
        continue
    fi
    mutated="$file"
    python3 -c "$sites" apply "$seed" "$GEOCONV_ROOT" "$k"
    k=$((k + 1))
    start=$EPOCHREALTIME
    result=$(python3 -c "$judge" "$dir" "$dir/timed.tsv" "$reach" "$GEOCONV_JOBS" "$file")
    verdict=${result%% *} reason=${result#* }
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

echo "== seed $seed: $killed killed, $survived survived of $((killed + survived)); $broken did not compile" \
    "$([ "$skipped" -gt 0 ] && echo "; $skipped skipped (listed in $skip)")"
if [ "$killed" -gt 0 ]; then
    echo "mean time: killed $(calc "$killed_time / $killed")s"
fi
if [ "$survived" -gt 0 ]; then
    echo "mean time: survived $(calc "$survived_time / $survived")s"
fi
for survivor in "${survivors[@]}"; do
    echo "survivor: $survivor"
done
