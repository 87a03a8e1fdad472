#!/bin/sh
# Measures how many seeded faults the test suite catches.
#
#   scripts/seed-faults.sh [PATCH_DIR] [-- ctest options]
#
# Copies the checkout into a scratch folder of its own, builds the tests
# there once without sanitizers (quick, incremental afterwards), checks that
# the suite passes untouched, then for each patch file in PATCH_DIR (default
# scripts/faults) in turn: applies it, rebuilds, runs the suite, prints
# "caught" or "missed" and takes the patch out again. The tests that failed run
# once more with the patch in: only those that fail again are named, since a
# busy machine can make a slow test fail now and then. When none fails again
# the line says "unsteady" and the patch counts as neither, like a patch that
# does not apply or does not build.
# Run by hand; it takes a while (one suite run per patch).
# TEVARO_FAULT_SCRATCH keeps the scratch copy in a folder of your choice so a
# second run only rebuilds what changed.
set -eu
cd "$(dirname "$0")/.."
ROOT=$(pwd)
PATCHES=$ROOT/scripts/faults
if [ $# -gt 0 ] && [ "$1" != "--" ]; then
    PATCHES=$1
    shift
fi
if [ $# -gt 0 ] && [ "$1" = "--" ]; then
    shift
fi
PATCHES=$(cd "$PATCHES" && pwd)
JOBS=$(nproc)

./scripts/install-deps.sh

if [ -n "${TEVARO_FAULT_SCRATCH:-}" ]; then
    SCRATCH=$TEVARO_FAULT_SCRATCH
    mkdir -p "$SCRATCH"
else
    SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/tevaro-faults.XXXXXX")
    trap 'rm -rf "$SCRATCH"' EXIT INT TERM
fi
SRC=$SCRATCH/src
BUILD=$SCRATCH/build
STAGE=$SCRATCH/stage

# The committed and uncommitted state of the checkout, without build folders.
# Only files whose content differs are copied, and they get the time of the
# copy: a scratch file that a patch changed and the revert gave back must be
# rebuilt, which the checkout's older time would prevent.
rm -rf "$STAGE"
mkdir -p "$STAGE" "$SRC"
tar -C "$ROOT" --exclude='./build*' --exclude='./.git' -cf - . | tar -C "$STAGE" -xf -
(cd "$STAGE" && find . -type f) | while IFS= read -r f; do
    if ! cmp -s "$STAGE/$f" "$SRC/$f"; then
        mkdir -p "$(dirname "$SRC/$f")"
        cp "$STAGE/$f" "$SRC/$f"
    fi
done
rm -rf "$STAGE"

CXX=${CXX:-clang++} cmake -S "$SRC" -B "$BUILD" -DCMAKE_BUILD_TYPE=Debug \
    -DTEVARO_SANITIZE=OFF -DTEVARO_FUZZ=OFF -DTEVARO_TESTS=ON >/dev/null

ROOT=$SRC
. "$SRC/scripts/sanitizer-env.sh"

run_suite() {
    cmake --build "$BUILD" -j"$JOBS" >"$SCRATCH/build.log" 2>&1 || return 2
    (cd "$BUILD" && ctest -j"$JOBS" --timeout 300 --stop-on-failure "$@" \
        >"$SCRATCH/ctest.log" 2>&1) || return 1
    return 0
}

# The names of the tests that failed in the last suite run (LOG: ctest.log).
failed_tests() {
    sed -n 's/^[[:space:]]*[0-9][0-9]* - \([^[:space:]]*\) .*/\1/p' "$SCRATCH/${1:-ctest.log}"
}

# Runs the tests named in $1 again and prints those that fail again.
fail_again() {
    regex=$(echo "$1" | sed 's/ *$//; s/ /$|^/g')
    (cd "$BUILD" && ctest -j"$JOBS" --timeout 300 -R "^$regex\$" \
        >"$SCRATCH/recheck.log" 2>&1) && return 0
    failed_tests recheck.log | tr '\n' ' '
}

# The untouched suite must pass; a test that fails once and passes when run
# again is named and the run goes on.
set +e; run_suite "$@"; rc=$?; set -e
failed=$(failed_tests | tr '\n' ' ')
if [ $rc -eq 1 ] && [ -n "$failed" ] && [ -z "$(fail_again "$failed")" ]; then
    echo "unsteady on the untouched code: $failed"
elif [ $rc -ne 0 ]; then
    echo "The untouched suite does not pass; see $SCRATCH/ctest.log, recheck.log and build.log." >&2
    trap - EXIT INT TERM
    exit 2
fi

caught=0; missed=0; broken=0
for p in "$PATCHES"/*.patch; do
    [ -f "$p" ] || continue
    name=$(basename "$p" .patch)
    if ! patch -s -p1 -d "$SRC" --dry-run <"$p" >/dev/null 2>&1; then
        echo "no-apply  $name"; broken=$((broken + 1)); continue
    fi
    patch -s -p1 -d "$SRC" <"$p"
    set +e; run_suite "$@"; rc=$?; set -e
    failed=$(failed_tests | tr '\n' ' ')
    [ $rc -eq 1 ] && [ -n "$failed" ] && failed=$(fail_again "$failed")
    patch -s -R -p1 -d "$SRC" <"$p"
    case $rc in
        0) echo "missed    $name"; missed=$((missed + 1)) ;;
        1) if [ -n "$failed" ]; then
               echo "caught    $name  ($failed)"; caught=$((caught + 1))
           else
               echo "unsteady  $name"; broken=$((broken + 1))
           fi ;;
        *) echo "no-build  $name"; broken=$((broken + 1)) ;;
    esac
done

total=$((caught + missed))
echo "caught $caught of $total seeded faults ($broken did not apply, build or fail steadily)"
