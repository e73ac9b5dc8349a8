#!/usr/bin/env bash
# Runs a command inside a headless Wayland session made for the tests:
#
#   tests/wayland/session.sh COMMAND [ARGS...]
#
# sway (headless, software rendering, one 1024 x 768 output with a solid
# background of #3366CC, XWayland on) in its own D-Bus session, with
# pipewire, xdg-desktop-portal-wlr, xdg-desktop-portal-gtk and
# xdg-desktop-portal, the Wayland environment imported into D-Bus. sway
# refuses to run as root: as root the session runs as the unprivileged user
# lh-wayland-test, made here when it is missing. Everything the session
# started is stopped at its end and its folders are removed; the command's
# exit status is the script's.
#
# The command sees WAYLAND_DISPLAY, DISPLAY (XWayland), SWAYSOCK,
# DBUS_SESSION_BUS_ADDRESS, XDG_RUNTIME_DIR, LH_SESSION_BACKGROUND (the
# background colour), LH_SESSION_SIZE ("1024x768") and LH_PORTAL_PID (the
# portal's process, for a test that stops it). A command given as a path
# is run from a copy where the session's user cannot read it.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
readonly user=lh-wayland-test
readonly background='#3366CC'

if [ "${1:-}" = --inside ]; then
  shift
  # --- inside the session's D-Bus, as the session's user ---
  work=$LH_SESSION_WORK
  pids=()
  stop_all() {
    local i
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
      kill "${pids[i]}" 2>/dev/null || true
    done
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
      wait "${pids[i]}" 2>/dev/null || true
    done
  }
  trap stop_all EXIT
  # Waits up to $1 tenths of a second for the command after it to succeed.
  wait_for() {
    local tries=$1
    shift
    until "$@" >/dev/null 2>&1; do
      tries=$((tries - 1))
      [ "$tries" -gt 0 ] || return 1
      sleep 0.1
    done
  }

  export WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman WLR_HEADLESS_OUTPUTS=1
  export XDG_CURRENT_DESKTOP=sway XDG_SESSION_TYPE=wayland NO_AT_BRIDGE=1 GTK_A11Y=none
  unset DISPLAY WAYLAND_DISPLAY
  cat >"$work/sway.conf" <<CONF
output HEADLESS-1 resolution 1024x768 position 0 0 bg $background solid_color
xwayland enable
default_border none
default_floating_border none
focus_follows_mouse no
# The program's windows float where the tests expect them, off the corner
# the tests drag over.
for_window [title="^蓝禾"] floating enable, move position 540 380
exec sh -c 'echo "\$DISPLAY" > "$work/display"'
CONF
  sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
  pids+=($!)
  sock_of() { ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock 2>/dev/null | head -1; }
  wayland_of() { ls "$XDG_RUNTIME_DIR" | grep -m1 -E '^wayland-[0-9]+$'; }
  sway_is_up() { [ -n "$(sock_of)" ] && [ -n "$(wayland_of)" ] && [ -s "$work/display" ]; }
  if ! wait_for 200 sway_is_up; then
    echo "session.sh: sway did not start (socket: $(sock_of), display: $(wayland_of), X: $(cat "$work/display" 2>/dev/null))" >&2; ls -la "$XDG_RUNTIME_DIR" "$work" >&2
    cat "$work/sway.log" >&2
    exit 1
  fi
  SWAYSOCK=$(sock_of)
  WAYLAND_DISPLAY=$(wayland_of)
  DISPLAY=$(cat "$work/display")
  export SWAYSOCK WAYLAND_DISPLAY DISPLAY
  # The background is drawn once swaybg is up.
  wait_for 200 pgrep -u "$(id -u)" -x swaybg

  pipewire >"$work/pipewire.log" 2>&1 &
  pids+=($!)
  wait_for 200 test -S "$XDG_RUNTIME_DIR/pipewire-0" || { echo "session.sh: pipewire did not start" >&2; exit 1; }
  dbus-update-activation-environment WAYLAND_DISPLAY DISPLAY XDG_CURRENT_DESKTOP XDG_SESSION_TYPE SWAYSOCK \
    XDG_RUNTIME_DIR
  /usr/libexec/xdg-desktop-portal-wlr -r >"$work/portal-wlr.log" 2>&1 &
  pids+=($!)
  /usr/libexec/xdg-desktop-portal-gtk -r >"$work/portal-gtk.log" 2>&1 &
  pids+=($!)
  /usr/libexec/xdg-desktop-portal -r >"$work/portal.log" 2>&1 &
  pids+=($!)
  export LH_PORTAL_PID=$!
  if ! wait_for 300 dbus-send --session --print-reply --dest=org.freedesktop.portal.Desktop \
       /org/freedesktop/portal/desktop org.freedesktop.DBus.Properties.Get \
       string:org.freedesktop.portal.Screenshot string:version; then
    echo "session.sh: the desktop portal offers no Screenshot" >&2
    tail -n 20 "$work"/portal*.log >&2
    exit 1
  fi
  export LH_SESSION_BACKGROUND=$background LH_SESSION_SIZE=1024x768
  status=0
  "$@" || status=$?
  if [ "$status" -ne 0 ]; then
    echo "session.sh: the command failed ($status); the session's logs:" >&2
    tail -n 15 "$work"/*.log >&2
  fi
  exit "$status"
fi

# --- outside: the user, the folders, the D-Bus session ---
[ $# -gt 0 ] || { echo "usage: $0 COMMAND [ARGS...]" >&2; exit 2; }
for tool in sway swaybg pipewire dbus-run-session dbus-update-activation-environment Xwayland wl-paste grim wtype \
            /usr/libexec/xdg-desktop-portal /usr/libexec/xdg-desktop-portal-wlr /usr/libexec/xdg-desktop-portal-gtk; do
  command -v "$tool" >/dev/null || { echo "session.sh: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done

work=$(mktemp -d /tmp/lh-wayland.XXXXXX)
runtime=""
session_user=$(id -un)
cleanup() {
  if [ "$(id -u)" -eq 0 ] && [ "$session_user" = "$user" ]; then
    # Services the session's bus started end when it goes; those still
    # running after ten seconds are stopped (the user runs nothing else).
    local tries=100 left
    while left=$(pgrep -u "$user") && [ "$tries" -gt 0 ]; do
      tries=$((tries - 1))
      sleep 0.1
    done
    for pid in $left; do kill "$pid" 2>/dev/null || true; done
  fi
  [ -n "$runtime" ] && rm -rf "$runtime"
  rm -rf "$work"
  # The portal's wlroots backend leaves its last screenshot here.
  if [ -f /tmp/out.png ] && [ "$(stat -c %U /tmp/out.png)" = "$session_user" ]; then rm -f /tmp/out.png; fi
}
trap cleanup EXIT

if [ "$(id -u)" -eq 0 ]; then
  if ! id "$user" >/dev/null 2>&1; then
    useradd --system --user-group --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$user"
  fi
  session_user=$user
  uid=$(id -u "$user")
  gid=$(id -g "$user")
  runtime=/tmp/lh-wayland-runtime-$uid
  rm -rf "$runtime"
  install -d -m 0700 -o "$uid" -g "$gid" "$runtime"
  chown "$uid:$gid" "$work"
  chmod 0755 "$work"
  run_as=(setpriv --reuid="$uid" --regid="$gid" --clear-groups env -i)
  # The session's user must reach the scripts and programs it runs. In a
  # tree it cannot read (a clone under /root, say) it runs copies, each
  # program with the data files of its folder (the password file, the song).
  if ! "${run_as[@]}" test -r "$here/session.sh"; then
    cp "$here/session.sh" "$work/session.sh"
    here=$work
  fi
  args=()
  for arg in "$@"; do
    if [ -f "$arg" ] && ! "${run_as[@]}" test -r "$arg"; then
      copy=$work/copies/${#args[@]}
      mkdir -p "$copy"
      cp "$arg" "$copy/"
      find "$(dirname "$arg")" -maxdepth 1 -type f ! -perm -u+x -size -10M -exec cp {} "$copy/" \;
      if [ "$(cd "$(dirname "$arg")" && pwd)" = "${LH_RUNTIME_DIR:-}" ]; then LH_RUNTIME_DIR=$copy; fi
      args+=("$copy/$(basename "$arg")")
    else
      args+=("$arg")
    fi
  done
  set -- "${args[@]}"
else
  runtime=$(mktemp -d /tmp/lh-wayland-runtime.XXXXXX)
  chmod 0700 "$runtime"
  run_as=(env -i)
fi

# The session's bus activates no screenshot portal by itself: one that was
# stopped stays stopped.
mkdir -p "$work/services"
for f in /usr/share/dbus-1/services/*.service; do
  [ "$(basename "$f")" = org.freedesktop.portal.Desktop.service ] || cp "$f" "$work/services/"
done
cat >"$work/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <keep_umask/>
  <listen>unix:dir=$runtime</listen>
  <auth>EXTERNAL</auth>
  <servicedir>$work/services</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
[ "$(id -u)" -eq 0 ] && chown -R "$uid:$gid" "$work"

# What the test command sets for the tests (the program's folder, the
# sanitizers' options) reaches them.
passed=()
for name in LH_RUNTIME_DIR ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS; do
  [ -n "${!name:-}" ] && passed+=("$name=${!name}")
done

status=0
# No standard input: CI gives none, and nothing here may wait for it.
"${run_as[@]}" HOME="$work" USER="$user" PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8 \
  XDG_RUNTIME_DIR="$runtime" LH_SESSION_WORK="$work" ${passed[@]+"${passed[@]}"} \
  dbus-run-session --config-file="$work/bus.conf" -- bash "$here/session.sh" --inside "$@" </dev/null || status=$?
exit "$status"
