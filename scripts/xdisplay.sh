# Sourced by test.sh and run.sh: starts Xvfb on a free display and exports
# DISPLAY; the caller's EXIT trap stops it again (lh_stop_xvfb).
lh_start_xvfb() {
  local n
  for n in $(seq 91 140); do
    if [ ! -e "/tmp/.X${n}-lock" ] && [ ! -e "/tmp/.X11-unix/X${n}" ]; then
      Xvfb ":${n}" -screen 0 1600x1000x24 -nolisten tcp -ac >/tmp/lh-xvfb-${n}.log 2>&1 &
      LH_XVFB_PID=$!
      local i
      for i in $(seq 1 100); do
        # The socket comes before the server answers on it.
        if [ -e "/tmp/.X11-unix/X${n}" ] && xprop -display ":${n}" -root >/dev/null 2>&1; then
          export DISPLAY=":${n}"
          return 0
        fi
        if ! kill -0 "$LH_XVFB_PID" 2>/dev/null; then break; fi
        sleep 0.05
      done
    fi
  done
  echo "could not start Xvfb" >&2
  return 1
}

lh_stop_xvfb() {
  if [ -n "${LH_XVFB_PID:-}" ]; then
    kill "$LH_XVFB_PID" 2>/dev/null || true
    wait "$LH_XVFB_PID" 2>/dev/null || true
    LH_XVFB_PID=""
  fi
}
