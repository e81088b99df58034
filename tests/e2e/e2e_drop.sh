#!/usr/bin/env bash
# Drag and drop onto the real program, from a small drag source driven by xdotool as a person
# drags from a file manager: a dropped file opens as File > Open opens it (a second file in the
# same drag is passed over), a web link opens nothing, dropped text is inserted as plain text, a
# missing file gets the Open error, and a dropped file is a document worth the exit question.
# What a selection offers other programs (the X selection) is plain text only.
source "$(dirname "$0")/lib.sh"
e2e_start "$1" "$2" drop
dragsource=$2/tests/e2e_dragsource
[ -x "$dragsource" ] || e2e_fail "no drag source at $dragsource"

# The file has a space in its name, so its link is percent-encoded.
file="$E2E_OUT/dropped art.nfo"
printf 'DROPPED FIRST LINE\r\n\xdb\xdb\xdb second line\r\n' >"$file"
other=$E2E_OUT/other.nfo
printf 'THE SECOND FILE\r\n' >"$other"
url() { python3 -c 'import pathlib, sys; print(pathlib.Path(sys.argv[1]).as_uri())' "$1"; }

e2e_launch
e2e_activate "$E2E_MAIN"
# Where the window's inside is on the screen (xwininfo's absolute corner, not the frame's).
info=$(xwininfo -id "$E2E_MAIN")
main_x=$(awk -F: '/Absolute upper-left X/ {print $2 + 0}' <<<"$info")
main_y=$(awk -F: '/Absolute upper-left Y/ {print $2 + 0}' <<<"$info")
main_h=$(awk -F: '/Height/ {print $2 + 0}' <<<"$info")
status_y=$((main_y + main_h - 12)) # the status bar, along the bottom edge
echo "main window inside at $main_x,$main_y, height $main_h"

# Starts the drag source with the given arguments, presses the button in it, moves the pointer
# in steps to the given point of the screen and lets go there.
drag_to() { # x, y, source arguments...
  local x=$1 y=$2; shift 2
  "$dragsource" "$@" >"$E2E_OUT/dragsource.log" 2>&1 &
  local pid=$! source sx sy i
  source=$(e2e_window "^Drag source$" 10) || e2e_fail "the drag source did not appear"
  eval "$(xdotool getwindowgeometry --shell "$source")"
  sx=$((X + 80)) sy=$((Y + 60))
  xdotool mousemove "$sx" "$sy"; sleep 0.3
  xdotool mousedown 1; sleep 0.2
  for i in 1 2 3 4 5 6 7 8 9 10; do
    xdotool mousemove $((sx + (x - sx) * i / 10)) $((sy + (y - sy) * i / 10)); sleep 0.08
  done
  xdotool mousemove "$x" "$y"; sleep 0.4
  xdotool mouseup 1; sleep 0.8
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  cat "$E2E_OUT/dragsource.log"
}

# The document as the clipboard gets it: everything selected with the keyboard, then copied.
document() {
  e2e_activate "$E2E_MAIN"
  printf 'MARKER' | xclip -selection clipboard -i
  e2e_keys ctrl+Home ctrl+shift+End ctrl+c
  e2e_poll 5 bash -c '[ "$(xclip -selection clipboard -o 2>/dev/null)" != MARKER ]' || true
  xclip -selection clipboard -o 2>/dev/null
}

# 1. A file and a second one, dropped on the middle of the view: the first one opens.
drag_to $((main_x + 200)) $((main_y + 150)) --urls "$(url "$file")" "$(url "$other")"
sleep 0.5
e2e_shot file-dropped
echo "screenshot: $E2E_OUT/file-dropped.png"
text=$(document)
expected=$(printf 'DROPPED FIRST LINE\n\xe2\x96\x88\xe2\x96\x88\xe2\x96\x88 second line\n')
[ "$text" = "$expected" ] || e2e_fail "the view holds \"$text\" after the file was dropped"
e2e_window "^Glimmer$" 1 >/dev/null && e2e_fail "a message box came up for a good file"

# The X selection holds what was selected as plain text, nothing formatted.
targets=$(xclip -selection primary -o -t TARGETS 2>/dev/null || true)
echo "X selection offers: $(echo $targets)"
grep -q "UTF8_STRING\|text/plain" <<<"$targets" || e2e_fail "the X selection offers no text"
grep -qi "html\|markdown\|opendocument" <<<"$targets" && e2e_fail "the X selection offers formatted text"
[ "$(xclip -selection primary -o 2>/dev/null)" = "$expected" ] ||
  e2e_fail "the X selection does not hold the selected text"

# 2. A web link: nothing happens.
drag_to $((main_x + 200)) $((main_y + 150)) --urls "https://www.example.com/page.nfo"
[ "$(document)" = "$expected" ] || e2e_fail "a dropped web link changed the view"

# 3. Text, dropped at the top left of the view: inserted where it is let go, as it is.
e2e_keys ctrl+End
drag_to $((main_x + 4)) $((main_y + 24)) --text "TEXT IN "
sleep 0.3
e2e_shot text-dropped
text=$(document)
grep -q "TEXT IN " <<<"$text" || e2e_fail "the dropped text was not inserted: \"$text\""
grep -q "file://" <<<"$text" && e2e_fail "a link was inserted as text"
[ "$(wc -l <<<"$text")" -eq 2 ] || e2e_fail "the dropped text changed the lines: \"$text\""

# 4. A file that is gone by the time it is dropped, on the status bar: the Open error.
drag_to $((main_x + 300)) $status_y --urls "$(url "$E2E_OUT/missing.nfo")"
box=$(e2e_window "^Glimmer$" 10) || e2e_fail "no Open error for a missing file"
e2e_shot open-error
e2e_keys Return
e2e_gone "^Glimmer$" 5 || e2e_fail "the Open error did not close"
grep -q "TEXT IN " <<<"$(document)" || e2e_fail "the failed drop changed the view"

# 5. The second file dropped on the status bar opens too; then the exit question comes, and Yes
# ends the program.
drag_to $((main_x + 300)) $status_y --urls "$(url "$other")"
[ "$(document)" = "THE SECOND FILE" ] || e2e_fail "a file dropped on the status bar did not open"
e2e_shot status-bar-drop
e2e_keys alt+F4
e2e_window "^Glimmer$" 10 >/dev/null || e2e_fail "Alt+F4 did not ask after the drop"
e2e_keys Return
e2e_poll 10 bash -c "! kill -0 $E2E_PID 2>/dev/null" || e2e_fail "Yes did not end the program"
E2E_PID=
echo PASS
