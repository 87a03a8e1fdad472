#!/bin/sh
# Builds the picture tool and redraws every picture in resources/pic.
# The drawn files are kept in the repository; run this after changing a drawing.
set -eu
cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD=${TEVARO_PICRENDER_BUILD:-$ROOT/build-picrender}

cmake -S "$ROOT/tools/picrender" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD" -j"$(nproc)"
QT_QPA_PLATFORM=offscreen "$BUILD/picrender" "$ROOT/resources/pic"
