#!/usr/bin/env bash
# Static checks over our own code: its layout (.clang-format) over every source file;
# then, in both kinds of build that run, cppcheck over every file of the native and the
# win64 compile databases (test code too), and clang-tidy (.clang-tidy) over the same
# files less the test code (tests/, bench/, fuzz/), which would triple the time for
# findings the tests themselves catch. Any finding fails.
# Needs the builds' compile databases: scripts/build.sh native win64 first.
#   scripts/static-check.sh
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
jobs=${KVX_STATIC_JOBS:-2}
out=build/static
start=$SECONDS

for kind in native win64; do
  [ -f "build/$kind/compile_commands.json" ] || { echo "static: build/$kind has no compile database; run scripts/build.sh $kind" >&2; exit 2; }
done
python3 scripts/static-db.py native build/native "$out/native"
python3 scripts/static-db.py win64 build/win64 "$out/win64" "$out/native/compile_commands.json"

status=0

# One layout for all our sources (.clang-format): a file that differs is named.
echo "static: clang-format"
unformatted=$(git ls-files -z '*.c' '*.cc' '*.cpp' '*.h' '*.hpp' \
  | xargs -0 -n50 clang-format --dry-run 2>&1 | sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: warning:.*/\1/p' | sort -u)
if [ -n "$unformatted" ]; then
  status=1
  echo "static: clang-format: these differ from .clang-format (clang-format -i fixes them):"
  echo "$unformatted"
fi

# cppcheck: style is left out, it is mostly advice to use <algorithm> and, on the Win32
# code, message-map handlers it cannot see called.
cppcheck_db() {
  local kind=$1; shift
  cppcheck --project="$out/$kind/compile_commands.json" \
    --enable=warning,performance,portability --std=c++17 --library=googletest "$@" \
    --inline-suppr --suppressions-list=scripts/cppcheck-suppressions.txt \
    --error-exitcode=1 --quiet -j"$jobs" \
    --template='{file}:{line}:{column}: {severity}: {message} [{id}]' || status=1
}
echo "static: cppcheck"
cppcheck_db native --platform=unix64
cppcheck_db win64 --platform=win64 --library=windows

echo "static: clang-tidy (-j$jobs)"
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
tidy_one() {
  local db=$1 file=$2 log
  log="$3/$(echo "$file" | tr / _).log"
  # The wire format's headers are included through the link in build/<kind>/wire/include.
  clang-tidy -p "$db" --quiet --header-filter="^$4/((client|libs|wire|server|tools)/|build/[^/]+/wire/include/wire/)" \
    "$file" >"$log" 2>&1 \
    || echo "$file" >>"$3/failed"
}
export -f tidy_one
# The server's files (asio, the slowest) go first, so two jobs end together.
python3 - "$out" <<'PY' | xargs -0 -n2 -P"$jobs" bash -c 'tidy_one "$2" "$3" "$0" "$1"' "$logs" "$root"
import json, re, sys
out = sys.argv[1]
test_code = re.compile(r"/(tests|bench|fuzz)/")
for kind in ("native", "win64"):
    for e in json.load(open(f"{out}/{kind}/compile_commands.json")):
        if not test_code.search(e["file"]):
            sys.stdout.write(f"{out}/{kind}\0{e['file']}\0")
PY
checked=$(find "$logs" -name '*.log' | wc -l)
if [ -s "$logs/failed" ]; then
  status=1
  # A header's finding shows once, however many files include it.
  python3 - "$logs" <<'PY'
import glob, re, sys
head = re.compile(r"^\S+:\d+:\d+: (warning|error): ")
noise = re.compile(r"^(\d+ warnings? generated\.|Suppressed \d+ warnings)")
seen = set()
for log in sorted(glob.glob(sys.argv[1] + "/*.log")):
    block = []
    for line in open(log, errors="replace").read().splitlines() + [None]:
        if line is None or head.match(line):
            text = "\n".join(block)
            if block and text not in seen:
                seen.add(text)
                print(text)
            block = []
        if line is not None and not noise.match(line):
            block.append(line)
PY
  echo "static: clang-tidy: findings in $(wc -l <"$logs/failed") of $checked files"
else
  echo "static: clang-tidy: $checked files clean"
fi

echo "static: $((SECONDS - start)) s"
exit $status
