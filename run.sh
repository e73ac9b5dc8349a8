#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds the program and starts it.
# Without a usable display it starts the program on a virtual one (Xvfb) and
# says how to look at it.
set -euo pipefail
cd "$(dirname "$0")"

bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLH_BUILD_TESTS=OFF >/dev/null
cmake --build build -j2 --target lanhe-designer

. scripts/xdisplay.sh
# A Wayland session is a usable display: the program starts on it natively.
if [ -z "${WAYLAND_DISPLAY:-}" ] && { [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; }; then
  trap lh_stop_xvfb EXIT
  lh_start_xvfb
  cat <<MSG
run.sh: no usable display, so the program runs on a virtual screen, DISPLAY=$DISPLAY.
  Look at it:      DISPLAY=$DISPLAY import -window root screen.png   (then open screen.png)
  Type or click:   DISPLAY=$DISPLAY xdotool ...   (the login window opens first; the initial password is empty)
  Stop it:         Ctrl+C here
MSG
fi

exec_status=0
./build/bin/lanhe-designer "$@" || exec_status=$?
exit $exec_status
