#!/usr/bin/env bash
# The Wayland cases, inside the session of session.sh:
#   run.sh TEST_PROGRAM VPOINTER PROGRAM
# natively on Wayland, then through XWayland, then with the portal stopped.
set -uo pipefail
test=$1
export LH_VPOINTER=$2 LH_PROGRAM=$3
status=0
run() {
  local platform=$1 filter=$2
  echo "run.sh: $filter on QT_QPA_PLATFORM=$platform"
  QT_QPA_PLATFORM=$platform "$test" --gtest_filter="$filter" || status=1
}
run wayland 'WaylandSession.*:WaylandCapture.*:WaylandGrabber.*'
run xcb 'WaylandCapture.*:XWaylandGrabber.*'

# The portal goes; the session's bus does not start it again.
kill "$LH_PORTAL_PID"
portal_gone() {
  ! dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
      org.freedesktop.DBus.NameHasOwner string:org.freedesktop.portal.Desktop | grep -q 'boolean true'
}
tries=100
until portal_gone; do
  tries=$((tries - 1))
  if [ "$tries" -le 0 ]; then echo "run.sh: the portal did not stop" >&2; exit 1; fi
  sleep 0.1
done
run wayland 'WaylandCaptureWithoutPortal.*'
exit $status
