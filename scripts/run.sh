#!/bin/sh
# Installs what is needed, builds the client and the device simulator, starts
# the simulator on a free loopback port and then the client, connected to it.
# Closing the client stops the simulator.
#
# Usage: scripts/run.sh [--data-home DIR | --user-data] [client arguments ...]
#
# The client keeps its settings, language files and user menus in a data
# folder of its own, <checkout>/build/run-data (given to the client as
# XDG_DATA_HOME), so the settings of a real installation are never touched.
#   --data-home DIR  or  TEVARO_DATA_HOME=DIR   use DIR instead
#   --user-data      use the user's normal data folder (~/.local/share/TEVARO500);
#                    its web-service address and port are then overwritten
#   TEVARO_BUILD=DIR                            build folder (default <checkout>/build)
set -eu
# Folders given by the caller are meant from where the script was called.
CALLER_DIR=$(pwd)
from_caller() {
    case "$1" in
        /*) printf '%s\n' "$1" ;;
        *) printf '%s\n' "$CALLER_DIR/$1" ;;
    esac
}
[ -z "${TEVARO_BUILD:-}" ] || TEVARO_BUILD=$(from_caller "$TEVARO_BUILD")
[ -z "${TEVARO_DATA_HOME:-}" ] || TEVARO_DATA_HOME=$(from_caller "$TEVARO_DATA_HOME")

cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD=${TEVARO_BUILD:-$ROOT/build}
DATA_HOME=${TEVARO_DATA_HOME:-$BUILD/run-data}
USE_USER_DATA=0

while [ $# -gt 0 ]; do
    case "$1" in
        --data-home)
            [ $# -ge 2 ] && [ -n "$2" ] || { echo "--data-home needs a folder" >&2; exit 2; }
            DATA_HOME=$(from_caller "$2")
            shift 2 ;;
        --user-data)
            USE_USER_DATA=1
            shift ;;
        -h|--help)
            sed -n '2,14p' "$ROOT/scripts/run.sh" | sed 's/^# \{0,1\}//'
            exit 0 ;;
        *)
            break ;;
    esac
done

./scripts/install-deps.sh

cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j"$(nproc)" --target TEVARO500 devicesim setini

if [ "$USE_USER_DATA" -eq 0 ]; then
    mkdir -p "$DATA_HOME"
    XDG_DATA_HOME=$(cd "$DATA_HOME" && pwd)
    export XDG_DATA_HOME
fi

SIMULATOR=$BUILD/tools/devicesim/devicesim
RUN_DIR=$(mktemp -d "${TMPDIR:-/tmp}/tevaro-run.XXXXXX")
SIM_PID=
CLIENT_PID=
cleanup() {
    for pid in $CLIENT_PID $SIM_PID; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$RUN_DIR"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Port 0: the simulator picks a free port and prints "PORT <n>" first.
"$SIMULATOR" --port 0 >"$RUN_DIR/simulator.out" 2>"$BUILD/devicesim.log" &
SIM_PID=$!

PORT=
tries=0
while [ -z "$PORT" ]; do
    if ! kill -0 "$SIM_PID" 2>/dev/null; then
        echo "The device simulator did not start; see $BUILD/devicesim.log" >&2
        exit 1
    fi
    PORT=$(sed -n 's/^PORT \([0-9][0-9]*\)$/\1/p' "$RUN_DIR/simulator.out" | head -n 1)
    if [ -z "$PORT" ]; then
        tries=$((tries + 1))
        if [ "$tries" -gt 100 ]; then
            echo "The device simulator gave no port within 10 s" >&2
            exit 1
        fi
        sleep 0.1
    fi
done

"$BUILD/tools/setini/setini" \
    "Config/Network/WebServer/IPAdress=127.0.0.1" \
    "Config/Network/WebServer/Port=$PORT"

echo "Device simulator on 127.0.0.1:$PORT (log: $BUILD/devicesim.log)"
echo "Settings file: $("$BUILD/tools/setini/setini" --file)"
echo "Users of the simulated instrument (name / password):"
sed -n 's/.*"NAME": *"\([^"]*\)", *"PASS": *"\([^"]*\)".*/  \1 \/ \2/p' "$ROOT/tools/devicesim/device_users.json"

# In the background, so a signal to this script also ends the client.
"$BUILD/src/app/TEVARO500" "$@" &
CLIENT_PID=$!
status=0
wait "$CLIENT_PID" || status=$?
CLIENT_PID=
exit "$status"
