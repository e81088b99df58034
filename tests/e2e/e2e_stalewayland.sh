#!/usr/bin/env bash
# The real program on an X display while WAYLAND_DISPLAY still names a compositor that is gone,
# as after a Wayland session ended under a terminal that lives on: a socket file left behind with
# no one listening, or no socket at all. The main window comes up on X, and nothing is said of
# Wayland: Qt is not left to try the dead display first.
source "$(dirname "$0")/lib.sh"
e2e_start "$1" "$2" stalewayland

# Bound and never listened on, its maker gone: a connection to it is refused.
python3 -c 'import socket, sys; socket.socket(socket.AF_UNIX).bind(sys.argv[1])' \
  "$XDG_RUNTIME_DIR/wayland-left-behind"
[ -S "$XDG_RUNTIME_DIR/wayland-left-behind" ] || e2e_fail "no socket file to leave behind"

for display in wayland-left-behind wayland-gone "$XDG_RUNTIME_DIR/wayland-left-behind"; do
  WAYLAND_DISPLAY=$display e2e_launch
  e2e_alive || e2e_fail "the program died with WAYLAND_DISPLAY=$display"
  kill "$E2E_PID"
  wait "$E2E_PID" 2>/dev/null || true
  E2E_PID=
  if grep -i "wayland\|wl_display" "$E2E_OUT/glimmer.log"; then
    e2e_fail "the program spoke of Wayland with WAYLAND_DISPLAY=$display"
  fi
  echo "WAYLAND_DISPLAY=$display: main window on X, nothing said"
done
echo PASS
