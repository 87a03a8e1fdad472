#!/bin/sh
# Installs the Debian packages the client, the device simulator, the tests,
# the fuzzers and the benchmarks need (with --tsan: also the ThreadSanitizer
# build). Quick when everything is already there.
set -eu

PACKAGES="build-essential cmake pkg-config clang libclang-rt-14-dev \
qtbase5-dev libjsoncpp-dev libboost-dev libboost-regex-dev libboost-thread-dev \
libqcustomplot-dev libcpp-httplib-dev libbenchmark-dev fonts-dejavu-core"
# The ThreadSanitizer build (scripts/tsan.sh) also reads Qt's private headers.
if [ "${1:-}" = "--tsan" ]; then
    PACKAGES="$PACKAGES qtbase5-private-dev"
fi

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ -z "$missing" ]; then
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    SUDO=sudo
else
    SUDO=
fi

echo "Installing:$missing"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
