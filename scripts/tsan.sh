#!/bin/sh
# Builds the tests with ThreadSanitizer (clang) in a build folder of its own
# and runs the whole suite under it. Fails when a test fails or when any
# process of the run (tests and the simulators they start) reports a race, a
# lock-order inversion or another ThreadSanitizer finding. Run it by hand
# before landing a change to threads, locks or signals between threads; the
# ordinary test command does not run it.
#
#   scripts/tsan.sh [ctest options, e.g. -R devicelink]
#
# TEVARO_TSAN_BUILD overrides the build folder (default build-tsan),
# TEVARO_TSAN_JOBS the number of parallel builds and tests (default: all
# cores). The reports are kept in <build>/tsan-reports/.
set -eu
cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD=${TEVARO_TSAN_BUILD:-$ROOT/build-tsan}
JOBS=${TEVARO_TSAN_JOBS:-$(nproc)}

./scripts/install-deps.sh --tsan

# Every lock of the client and the tests goes through common/AnnotatedLocks.h:
# Qt's own lockers and lock calls are invisible to ThreadSanitizer.
if grep -rnE '\b(QMutexLocker|QReadLocker|QWriteLocker|QSemaphore)\b|\b(lockForRead|lockForWrite|tryLock(ForRead|ForWrite)?)\(' \
        src tests --include='*.h' --include='*.cpp' | grep -v '^src/common/AnnotatedLocks.h:'; then
    echo "Use the lockers of src/common/AnnotatedLocks.h for the locks above." >&2
    exit 1
fi

CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Debug \
    -DTEVARO_TSAN=ON -DTEVARO_SANITIZE=OFF -DTEVARO_FUZZ=OFF -DTEVARO_TESTS=ON >/dev/null
cmake --build "$BUILD" -j"$JOBS"

. "$ROOT/scripts/sanitizer-env.sh"
REPORTS="$BUILD/tsan-reports"
rm -rf "$REPORTS"
mkdir -p "$REPORTS"
# The first report ends the process with exit code 66; each process writes
# its reports to a file of its own, which the end of this script checks.
export TSAN_OPTIONS="$TSAN_OPTIONS:halt_on_error=1:exitcode=66:second_deadlock_stack=1:history_size=4:log_path=$REPORTS/report"

# ThreadSanitizer needs the classic address-space layout; without it some
# kernels make it stop with "unexpected memory mapping".
NORANDOM=""
if setarch "$(uname -m)" -R true 2>/dev/null; then
    NORANDOM="setarch $(uname -m) -R"
fi

status=0
if ! (cd "$BUILD" && $NORANDOM ctest --output-on-failure -j"$JOBS" "$@"); then
    # ThreadSanitizer makes every program several times slower: on a busy
    # machine a test's wait may run out. A test that failed without a report
    # runs once more; any report still fails the run below.
    echo "Running the failed tests once more:"
    (cd "$BUILD" && $NORANDOM ctest --output-on-failure --rerun-failed) || status=1
fi

if [ -n "$(ls -A "$REPORTS")" ]; then
    for report in "$REPORTS"/*; do
        echo "=== $report"
        cat "$report"
    done
    echo "ThreadSanitizer reported findings (above; kept in $REPORTS)." >&2
    exit 1
fi
if [ $status -ne 0 ]; then
    echo "Tests failed under ThreadSanitizer." >&2
    exit 1
fi
echo "All tests passed under ThreadSanitizer without a report."
