#!/usr/bin/env bash
# The program reads no command-line arguments, Qt's own included: started with a file name and
# with Qt's options for the platform, the layout direction, the style and the window geometry,
# it shows the same empty window, left to right, on the X display it was given. With no display
# at all, or one that does not answer, it says so in one line and exits with status 1.
source "$(dirname "$0")/lib.sh"
e2e_start "$1" "$2" commandline

# 1. No display: neither DISPLAY nor WAYLAND_DISPLAY, nor a compositor at the default socket.
nodisplay() { # environment assignments...
  local status=0
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$E2E_OUT/xdg" "$@" \
    "$E2E_PROGRAM" >"$E2E_OUT/nodisplay.out" 2>"$E2E_OUT/nodisplay.err" || status=$?
  echo "$* -> status $status, stderr: $(cat "$E2E_OUT/nodisplay.err")"
  [ "$status" -eq 1 ] || e2e_fail "without a display the program ended with status $status"
  [ "$(wc -l <"$E2E_OUT/nodisplay.err")" -eq 1 ] || e2e_fail "not one line on stderr"
  grep -q "^glimmer: no display" "$E2E_OUT/nodisplay.err" || e2e_fail "the line does not say what is missing"
  [ ! -s "$E2E_OUT/nodisplay.out" ] || e2e_fail "the program wrote to stdout"
}
nodisplay
nodisplay DISPLAY=:7999 # a display number no X server has
nodisplay WAYLAND_DISPLAY=no-such-compositor
nodisplay QT_QPA_PLATFORM=xcb

# 2. Arguments: a file, and Qt's options. None of them counts.
printf 'SHOULD NOT OPEN\r\n' >"$E2E_OUT/arg.nfo"
"$E2E_PROGRAM" "$E2E_OUT/arg.nfo" -platform offscreen -reverse -style windows \
  -qwindowgeometry 200x100+0+0 -qwindowtitle Other >"$E2E_OUT/glimmer.log" 2>&1 &
E2E_PID=$!
E2E_MAIN=$(e2e_window "^Glimmer v1.0$" 20) || e2e_fail "no main window on the X display (was -platform obeyed?)"
e2e_activate "$E2E_MAIN"
eval "$(xdotool getwindowgeometry --shell "$E2E_MAIN")"
[ "$WIDTH" -eq 511 ] || e2e_fail "the window is $WIDTH wide (was -qwindowgeometry obeyed?)"
sleep 0.5
e2e_shot arguments
echo "screenshot: $E2E_OUT/arguments.png"

# Left to right: the menu bar's "File" is at the left edge (dark pixels there), nothing at the
# right end of the bar.
info=$(xwininfo -id "$E2E_MAIN")
x=$(awk -F: '/Absolute upper-left X/ {print $2 + 0}' <<<"$info")
y=$(awk -F: '/Absolute upper-left Y/ {print $2 + 0}' <<<"$info")
dark() { convert "$E2E_OUT/arguments.png" -crop "$1" +repage -colorspace gray -threshold 50% \
  -negate -format "%[fx:round(mean*w*h)]" info:; }
left=$(dark "120x18+$((x + 2))+$((y + 2))") right=$(dark "120x18+$((x + 389))+$((y + 2))")
echo "dark pixels in the menu bar: $left at the left, $right at the right"
[ "$left" -gt 30 ] && [ "$right" -lt 5 ] || e2e_fail "the menu bar is mirrored (was -reverse obeyed?)"

# The view is empty: the file named on the command line was not opened.
printf 'MARKER' | xclip -selection clipboard -i
e2e_keys ctrl+Home ctrl+shift+End ctrl+c
sleep 0.3
[ "$(xclip -selection clipboard -o 2>/dev/null)" = "" ] || e2e_fail "the view is not empty"
e2e_alive || e2e_fail "the program died"
echo PASS
