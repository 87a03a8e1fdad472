#!/bin/sh
# Runs every libFuzzer target of a build for a short, reproducible while.
#
#   scripts/fuzz.sh <build-dir> [seconds]
#
# The build must be configured with -DTEVARO_FUZZ=ON -DTEVARO_SANITIZE=ON
# (clang). Each fuzz_<name> starts from a copy of tests/fuzz/corpus/<name>/
# made in the build folder (the stored corpus never grows) and writes its
# artifacts there. When a fuzzer fails, its crash, timeout, out-of-memory and
# leak inputs are copied to tests/fuzz/regressions/<name>/, where every later
# build replays them (CTest fuzz_regress_<name>), and the script fails.
set -eu

if [ $# -lt 1 ]; then
    echo "usage: $0 <build-dir> [seconds]" >&2
    exit 2
fi
cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD=$(cd "$1" && pwd)
SECONDS_PER_TARGET=${2:-30}
FUZZ_SRC="$ROOT/tests/fuzz"
OUT="$BUILD/fuzz-run"
TARGETS="parse query telegram"

# Every sanitizer report is fatal; suppressions cover system libraries only.
. "$ROOT/scripts/sanitizer-env.sh"
# ASan keeps every distinct allocation and free stack for the whole run. Its
# unwinder follows frame pointers, which jsoncpp and the C++ library are built
# without: from the third frame on their stacks are partly garbage and nearly
# all distinct, so a fuzzer grew by some hundred bytes a run (the parse
# fuzzer to 1.7 GB in 20 minutes). Two frames keep that store small; the
# fuzz_regress_<name> tests replay a failing input with full stacks. A
# smaller quarantine keeps the heap small too: every input frees all it took.
export ASAN_OPTIONS="$ASAN_OPTIONS:malloc_context_size=2:quarantine_size_mb=64"
# Rejected inputs are logged as warnings by the library: millions of lines
# that slow the fuzzers down. Critical messages still show.
export QT_LOGGING_RULES="*.debug=false;*.info=false;*.warning=false"

# Longest input per target: documents and telegrams are texts, paths are short.
max_len() {
    case "$1" in
        query) echo 512 ;;
        *) echo 4096 ;;
    esac
}

missing=""
for name in $TARGETS; do
    exe=$(find "$BUILD" -type f -name "fuzz_$name" -perm -u+x | head -n 1)
    if [ -z "$exe" ]; then
        missing="$missing fuzz_$name"
    fi
done
if [ -n "$missing" ]; then
    echo "Not built:$missing (configure with CXX=clang++ -DTEVARO_FUZZ=ON -DTEVARO_SANITIZE=ON)" >&2
    exit 2
fi

rm -rf "$OUT"
mkdir -p "$OUT"

pids=""
for name in $TARGETS; do
    exe=$(find "$BUILD" -type f -name "fuzz_$name" -perm -u+x | head -n 1)
    work="$OUT/$name"
    mkdir -p "$work/corpus" "$work/artifacts"
    cp "$FUZZ_SRC/corpus/$name/"* "$work/corpus/"
    dict=""
    if [ -f "$FUZZ_SRC/$name.dict" ]; then
        dict="-dict=$FUZZ_SRC/$name.dict"
    fi
    echo "fuzz_$name: ${SECONDS_PER_TARGET}s, log $work/log.txt"
    # shellcheck disable=SC2086
    "$exe" "$work/corpus" \
        -seed=1234 \
        -max_len="$(max_len "$name")" \
        -timeout=1 \
        -rss_limit_mb=2048 \
        -max_total_time="$SECONDS_PER_TARGET" \
        -print_final_stats=1 \
        -artifact_prefix="$work/artifacts/" \
        $dict \
        >"$work/log.txt" 2>&1 &
    pids="$pids $!:$name"
done

failed=""
for entry in $pids; do
    pid=${entry%%:*}
    name=${entry#*:}
    if wait "$pid"; then
        echo "fuzz_$name: passed ($(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$OUT/$name/log.txt" | grep -o '[0-9]*$' || echo '?') runs)"
        continue
    fi
    failed="$failed $name"
    echo "fuzz_$name: FAILED, see $OUT/$name/log.txt" >&2
    grep -m3 -E 'ERROR: |fuzz property violated|SUMMARY: ' "$OUT/$name/log.txt" >&2 || true
    dest="$FUZZ_SRC/regressions/$name"
    mkdir -p "$dest"
    for artifact in "$OUT/$name/artifacts/"*; do
        [ -f "$artifact" ] || continue
        leaf=$(basename "$artifact")
        # "crash-<sha1>" becomes "crash_<sha1>": kept under version control,
        # unlike the fresh artifacts that .gitignore leaves out.
        kept="$dest/$(echo "$leaf" | sed 's/^\(crash\|timeout\|oom\|leak\|slow-unit\)-/\1_/')"
        cp "$artifact" "$kept"
        echo "  kept $kept" >&2
    done
done

if [ -n "$failed" ]; then
    echo "Fuzzing failed:$failed" >&2
    exit 1
fi
echo "Fuzzing passed."
