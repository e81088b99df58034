#!/usr/bin/env bash
# A user's session with the installed program, from outside as a person works: open a file by
# keyboard, find a word, copy a line and read it from the X clipboard, stamp the date, open and
# close the About box, and exit through the confirmation.
# Usage: user_session.sh PROGRAM BUILD_DIR
source "$(dirname "$0")/../lib.sh"
e2e_start "$1" "$2" user-session
nfo=$(cd "$(dirname "$0")/../../.." && pwd)/data/examples/glimmer.nfo
unset LC_ALL
export LANG=C.UTF-8 LC_TIME=C.UTF-8
e2e_launch
e2e_activate "$E2E_MAIN"
clipboard() { xclip -selection clipboard -o 2>/dev/null; }

# Open the sample file by keyboard.
e2e_keys ctrl+o
e2e_window "^Open$" 10 >/dev/null || e2e_fail "Ctrl+O showed no file dialog"
e2e_type "$nfo"
e2e_keys Return
e2e_gone "^Open$" 3 || e2e_keys Return
e2e_gone "^Open$" 5 || e2e_fail "the file dialog stayed open"
e2e_activate "$E2E_MAIN"

# Find "text": F3, Tab to the word box, type it, Tab back to Search, Space.
e2e_keys F3
e2e_window "^Search\.\.\.$" 10 >/dev/null || e2e_fail "F3 showed no find dialog"
e2e_keys Tab
e2e_type "text"
e2e_keys Tab space
e2e_gone "^Search\.\.\.$" 5 || e2e_fail "the find dialog did not hide after the search"
e2e_shot found
red=$(convert "$E2E_OUT/found.png" -fill black +opaque "#ff0000" -fill white -opaque "#ff0000" \
  -format "%[fx:round(mean*w*h)]" info:)
[ "$red" -gt 20 ] || e2e_fail "no occurrence was painted red ($red red pixels)"

# Copy the first line of the box art with Ctrl+A, Ctrl+C.
e2e_activate "$E2E_MAIN"
line=$(iconv -f CP437 -t UTF-8 "$nfo" | sed -n 9p | tr -d '\r')
e2e_keys ctrl+Home Down Down Down Down Down Down Down Down Right
e2e_keys ctrl+a ctrl+c
e2e_poll 5 bash -c '[ -n "$(xclip -selection clipboard -o 2>/dev/null)" ]' || e2e_fail "nothing was copied"
[ "$(clipboard)" = "$line" ] || e2e_fail "the clipboard holds \"$(clipboard)\", not \"$line\""

# Stamp the date and time over the selected line and read it back.
before=$(date +'%x  %X')
e2e_keys F5
after=$(date +'%x  %X')
e2e_keys ctrl+a ctrl+c
stamp=$(clipboard)
[ "$stamp" = "$before" ] || [ "$stamp" = "$after" ] || e2e_fail "the stamp \"$stamp\" is not \"$before\""

# About box: from the menu by keyboard, closed with Escape.
e2e_keys alt+u Return
e2e_window "^About Glimmer$" 10 >/dev/null || e2e_fail "the About box did not open"
e2e_shot about
e2e_keys Escape
e2e_gone "^About Glimmer$" 5 || e2e_fail "Escape did not close the About box"

# Exit with the confirmation: File > Exit, Yes.
e2e_activate "$E2E_MAIN"
e2e_keys alt+f x
e2e_window "^Glimmer$" 10 >/dev/null || e2e_fail "File > Exit did not ask"
e2e_keys alt+y
e2e_poll 10 bash -c "! kill -0 $E2E_PID 2>/dev/null" || e2e_fail "Yes did not end the program"
E2E_PID=
echo PASS
