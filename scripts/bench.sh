#!/bin/sh
# Builds the benchmarks in a Release build of their own (no sanitizers) and
# runs them. Each benchmark ends with the ratios of the library against its
# hand-written baseline and the target of each ratio.
#
#   scripts/bench.sh [benchmark options, e.g. --benchmark_filter=Telegram]
#
# Without options every benchmark runs three times; the ratios use the best
# CPU time of the three, which holds up on a busy machine.
# TEVARO_BENCH_BUILD overrides the build folder (default build-bench).
set -eu
cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD=${TEVARO_BENCH_BUILD:-$ROOT/build-bench}

./scripts/install-deps.sh

cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release \
    -DTEVARO_BENCH=ON -DTEVARO_SANITIZE=OFF -DTEVARO_FUZZ=OFF -DTEVARO_TESTS=OFF >/dev/null
cmake --build "$BUILD" --target benchmarks -j"$(nproc)"

if [ $# -eq 0 ]; then
    set -- --benchmark_repetitions=3
fi

status=0
for exe in "$BUILD"/bench/bench_*; do
    [ -f "$exe" ] && [ -x "$exe" ] || continue
    echo
    echo "=== $(basename "$exe")"
    "$exe" "$@" || status=1
done
exit $status
