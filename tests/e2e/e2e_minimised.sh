#!/usr/bin/env bash
# The find dialog and the About box minimised by the window manager (which gives them a minimise
# button whatever they ask for): choosing Find or About again brings each back, restored and
# active. The About box asks task bars to leave it out.
source "$(dirname "$0")/lib.sh"
e2e_start "$1" "$2" minimised
e2e_launch
e2e_activate "$E2E_MAIN"

wm_state() { xprop -id "$1" WM_STATE 2>/dev/null | sed -n 's/.*window state: *//p'; }
active() { xprop -root _NET_ACTIVE_WINDOW | awk '{print $NF}'; }
is_active() { [ $(( $(active) )) -eq $(( $1 )) ]; }
minimise() { # window, name
  xdotool windowminimize --sync "$1" 2>/dev/null || xdotool windowminimize "$1"
  e2e_poll 5 bash -c '[ "$(xprop -id "$0" WM_STATE | sed -n "s/.*window state: *//p")" = Iconic ]' "$1" ||
    e2e_fail "the $2 did not minimise"
  e2e_gone "$3" 5 || e2e_fail "the minimised $2 is still on the screen"
}
restored() { # window, name, pattern
  e2e_window "$3" 5 >/dev/null || e2e_fail "the $2 did not come back"
  e2e_poll 5 bash -c '[ "$(xprop -id "$0" WM_STATE | sed -n "s/.*window state: *//p")" = Normal ]' "$1" ||
    e2e_fail "the $2 is still minimised: $(wm_state "$1")"
  e2e_poll 5 is_active "$1" || e2e_fail "the $2 came back but is not the active window"
}

# The find dialog, with a word typed in, minimised; F3 in the main window brings it back with the
# word still there.
e2e_keys F3
find=$(e2e_window "^Search\.\.\.$" 10) || e2e_fail "F3 did not show the find dialog"
e2e_keys Tab
e2e_type "kept"
minimise "$find" "find dialog" "^Search\.\.\.$"
e2e_activate "$E2E_MAIN"
e2e_shot find-minimised
e2e_keys F3
restored "$find" "find dialog" "^Search\.\.\.$"
e2e_shot find-restored
echo "screenshot: $E2E_OUT/find-restored.png"
[ "$(xdotool search --onlyvisible --name '^Search\.\.\.$' | wc -l)" -eq 1 ] || e2e_fail "two find dialogs"

# The About box: off the task bar; minimised, About brings the same box back.
e2e_activate "$E2E_MAIN"
e2e_keys alt+u Return
about=$(e2e_window "^About Glimmer$" 10) || e2e_fail "About did not open the About box"
states=$(xprop -id "$about" _NET_WM_STATE)
echo "About box: $states"
grep -q "_NET_WM_STATE_SKIP_TASKBAR" <<<"$states" || e2e_fail "the About box asks for a task bar entry"
grep -q "_NET_WM_STATE_SKIP_TASKBAR" <<<"$(xprop -id "$find" _NET_WM_STATE)" ||
  e2e_fail "the find dialog asks for a task bar entry"
minimise "$about" "About box" "^About Glimmer$"
e2e_activate "$E2E_MAIN"
e2e_shot about-minimised
e2e_keys alt+u Return
restored "$about" "About box" "^About Glimmer$"
[ "$(xdotool search --onlyvisible --name '^About Glimmer$' | wc -l)" -eq 1 ] || e2e_fail "two About boxes"
grep -q "_NET_WM_STATE_SKIP_TASKBAR" <<<"$(xprop -id "$about" _NET_WM_STATE)" ||
  e2e_fail "the restored About box asks for a task bar entry"
e2e_shot about-restored
echo "screenshot: $E2E_OUT/about-restored.png"

e2e_alive || e2e_fail "the program died"
echo PASS
