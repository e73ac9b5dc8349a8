#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds everything and runs every test.
# Unit and widget tests run on Qt's offscreen platform; tests that need a real
# screen (capture, clipboard, the whole program) run on an Xvfb display that
# this script starts and stops.
set -euo pipefail
cd "$(dirname "$0")"

bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLH_BUILD_TESTS=ON >/dev/null
cmake --build build -j2

. scripts/xdisplay.sh
trap lh_stop_xvfb EXIT
lh_start_xvfb
echo "test.sh: tests that need a screen use Xvfb on DISPLAY=$DISPLAY"

ctest --test-dir build --output-on-failure -j2 "$@"
