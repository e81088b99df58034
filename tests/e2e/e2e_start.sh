#!/usr/bin/env bash
# The real program starts on an X display, shows its main window named "Glimmer v1.0" at its
# design size, and leaves a screenshot in the build folder.
source "$(dirname "$0")/lib.sh"
e2e_start "$1" "$2" start
e2e_launch
geometry=$(xdotool getwindowgeometry "$E2E_MAIN")
echo "$geometry"
grep -q "Geometry: 511x" <<<"$geometry" || e2e_fail "the client area is not 511 pixels wide: $geometry"
e2e_shot main-window
echo "screenshot: $E2E_OUT/main-window.png"
e2e_alive || e2e_fail "the program died"
echo PASS
