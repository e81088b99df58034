#!/usr/bin/env bash
# The real program read through AT-SPI, as a screen reader reads it: on a session bus of the
# test's own, with the accessibility bus and registry of at-spi2-core, a python3-pyatspi client
# (accessibility_reader.py) finds the main window by role and name, opens a file after a
# cancelled Open, reads the first lines through the Text interface, searches a word through the
# find dialog and reads the marks' attributes, and looks at the About box's links.
source "$(dirname "$0")/lib.sh"

launcher=/usr/libexec/at-spi-bus-launcher
if [ ! -x "$launcher" ] || ! /usr/bin/python3 -c "import pyatspi" 2>/dev/null \
  || ! command -v dbus-daemon >/dev/null; then
  echo "SKIP: at-spi2-core, python3-pyatspi or dbus is not installed (scripts/deps test)"
  exit 77
fi

e2e_start "$1" "$2" accessibility

# Every process the bus started, and the processes those started, by id.
a11y_tree() { # pid
  local child
  for child in $(pgrep -P "$1" 2>/dev/null); do a11y_tree "$child"; done
  echo "$1"
}
a11y_cleanup() {
  local pids=()
  [ -n "${A11Y_LAUNCHER:-}" ] && pids+=($(a11y_tree "$A11Y_LAUNCHER"))
  [ -n "${A11Y_BUS:-}" ] && pids+=($(a11y_tree "$A11Y_BUS"))
  [ ${#pids[@]} -gt 0 ] && kill "${pids[@]}" 2>/dev/null || true
}
trap 'a11y_cleanup; e2e_cleanup' EXIT

# A session bus of our own; the launcher puts the accessibility bus beside it.
dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$E2E_OUT/bus-address" \
  >"$E2E_OUT/dbus.log" 2>&1 &
A11Y_BUS=$!
e2e_poll 10 test -s "$E2E_OUT/bus-address" || e2e_fail "the session bus did not start"
export DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$E2E_OUT/bus-address")
"$launcher" --launch-immediately >"$E2E_OUT/at-spi-bus.log" 2>&1 &
A11Y_LAUNCHER=$!
e2e_poll 10 dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
  org.a11y.Bus.GetAddress >/dev/null 2>&1 || e2e_fail "the accessibility bus did not start"

# Three short lines and a word that occurs in two of them, once twice.
document=$E2E_OUT/three.txt
printf 'the cat sat\r\non the mat\r\na cat and a cat\r\nthe end\r\n' >"$document"

QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 e2e_launch
e2e_activate "$E2E_MAIN"
timeout 150 /usr/bin/python3 "$(dirname "$0")/accessibility_reader.py" "$document" cat "$E2E_OUT" \
  || e2e_fail "the program read through AT-SPI is not what the eye sees (see above)"
e2e_alive || e2e_fail "the program died"
echo PASS
