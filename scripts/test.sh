#!/bin/sh
# Installs what is needed, builds everything with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, runs the whole test suite under a German locale
# and then the fuzzers.
# Fails when any test, sanitizer report or fuzzer fails.
set -eu
cd "$(dirname "$0")/.."
ROOT=$(pwd)

./scripts/install-deps.sh

BUILD=${TEVARO_TEST_BUILD:-$ROOT/build-test}
JOBS=$(nproc)

CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Debug \
    -DTEVARO_SANITIZE=ON -DTEVARO_FUZZ=ON -DTEVARO_TESTS=ON >/dev/null
cmake --build "$BUILD" -j"$JOBS"

. "$ROOT/scripts/sanitizer-env.sh"

# Tests may start simulators on free ports: running them in parallel is safe.
# CTest runs them under a German locale (tests/CMakeLists.txt); the fuzzers
# below keep the caller's locale.
(cd "$BUILD" && ctest --output-on-failure -j"$JOBS")

"$ROOT/scripts/fuzz.sh" "$BUILD"
echo "All tests passed."
