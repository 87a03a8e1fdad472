#!/bin/sh
# Installs the Debian packages the client, the device simulator, the tests,
# the fuzzers and the benchmarks need (with --tsan: also the ThreadSanitizer
# build) and generates the German locale the tests run under. Quick when
# everything is already there.
set -eu

PACKAGES="build-essential cmake pkg-config clang libclang-rt-14-dev \
qtbase5-dev libjsoncpp-dev libboost-dev libboost-regex-dev libboost-thread-dev \
libqcustomplot-dev libcpp-httplib-dev libbenchmark-dev fonts-dejavu-core locales"
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

if [ "$(id -u)" -ne 0 ]; then
    SUDO=sudo
else
    SUDO=
fi

if [ -n "$missing" ]; then
    echo "Installing:$missing"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
fi

# scripts/test.sh runs the suite under de_DE.UTF-8 (locale -a names it
# "de_DE.utf8"): a decimal comma there shows numbers read or written through
# the C library's locale.
if ! locale -a | grep -qix 'de_DE\.utf-\?8'; then
    echo "Generating the locale de_DE.UTF-8"
    if grep -q '^# *de_DE\.UTF-8 UTF-8' /etc/locale.gen; then
        $SUDO sed -i 's/^# *\(de_DE\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    elif ! grep -q '^de_DE\.UTF-8 UTF-8' /etc/locale.gen; then
        echo "de_DE.UTF-8 UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
    fi
    $SUDO locale-gen
fi
