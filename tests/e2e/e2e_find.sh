#!/usr/bin/env bash
# Edit > Find on the real program: text typed into the view, F3, a word typed into the dialog,
# Search pressed from the keyboard; every occurrence turns red (and bold) and the dialog hides.
# Screenshots are left in the build folder.
source "$(dirname "$0")/lib.sh"
e2e_start "$1" "$2" find
e2e_launch
e2e_activate "$E2E_MAIN"

# Red pixels (pure red, as the marks are painted) inside the main window.
red_pixels() {
  local name=$1 geometry
  geometry=$(xdotool getwindowgeometry --shell "$E2E_MAIN" | awk -F= '
    /^X=/ {x=$2} /^Y=/ {y=$2} /^WIDTH=/ {w=$2} /^HEIGHT=/ {h=$2} END {print w "x" h "+" x "+" y}')
  e2e_shot "$name"
  convert "$E2E_OUT/$name.png" -crop "$geometry" +repage -fill black +opaque "#ff0000" \
    -fill white -opaque "#ff0000" -format "%[fx:round(mean*w*h)]" info:
}

# The document, typed as a user would. "cat" occurs three times, once as "Cat".
xdotool mousemove --window "$E2E_MAIN" 100 120 click 1
e2e_type "the cat sat on the mat"
e2e_keys Return
e2e_type "Cat and cat"
e2e_keys Return
e2e_type "concatenate"
[ "$(red_pixels typed)" -eq 0 ] || e2e_fail "red before any search"

e2e_keys F3
dialog=$(e2e_window "^Search\.\.\.$" 10) || e2e_fail "F3 did not show the find dialog"
props=$(xprop -id "$dialog")
echo "$props" | grep -E "_MOTIF_WM_HINTS|_NET_WM_WINDOW_TYPE|_NET_WM_ALLOWED_ACTIONS|WM_TRANSIENT_FOR|_NET_WM_STATE"
# A utility window, transient (so task bars leave it out), asking the window manager for a close
# box and nothing else: no minimise or maximise button or function, a fixed size. (openbox draws
# its own buttons whatever a window asks, but lets it be neither resized nor maximised.)
grep -q "_NET_WM_WINDOW_TYPE_UTILITY" <<<"$props" || e2e_fail "the find window is not a utility window"
grep -q "WM_TRANSIENT_FOR" <<<"$props" || e2e_fail "the find window is not transient"
actions=$(grep "_NET_WM_ALLOWED_ACTIONS" <<<"$props")
grep -q "_NET_WM_ACTION_CLOSE" <<<"$actions" || e2e_fail "the dialog has no close box"
for action in MAXIMIZE RESIZE; do
  grep -q "_NET_WM_ACTION_${action}\b" <<<"$actions" && e2e_fail "the dialog allows $action"
done
read -r functions decorations < <(grep "_MOTIF_WM_HINTS" <<<"$props" | awk -F', ' '{print $2, $3}')
(( (functions & 0x19) == 0 )) || e2e_fail "the dialog asks for minimise or maximise functions"
(( (decorations & 0x61) == 0 )) || e2e_fail "the dialog asks for minimise or maximise buttons"
xdotool getwindowgeometry "$dialog" | grep -q "Geometry: 287x95" || e2e_fail "client area is not 287x95"

# The Search button has the focus; Tab leads to the word box. Enter there and Escape do nothing.
e2e_shot dialog
e2e_keys Tab
e2e_type "cat"
e2e_keys Return Escape
e2e_window "^Search\.\.\.$" 1 >/dev/null || e2e_fail "Enter or Escape closed the dialog"
[ "$(red_pixels dialog-open)" -eq 0 ] || e2e_fail "Enter in the word box searched"

# Back to the button, pressed with Space.
e2e_keys Tab space
e2e_gone "^Search\.\.\.$" 5 || e2e_fail "the dialog did not hide after the search"
sleep 0.3
marked=$(red_pixels marked)
echo "red pixels after the search: $marked"
[ "$marked" -gt 100 ] || e2e_fail "the occurrences were not painted red"
echo "screenshot: $E2E_OUT/marked.png"

e2e_alive || e2e_fail "the program died"
echo PASS
