#!/usr/bin/env bash
# The Edit menu and closing on the real program: an NFO opened through File > Open, the caret put
# on one of its lines, Ctrl+A and Ctrl+C leave that line, decoded, on the real X clipboard; F5
# stamps the date and time in the user's formats over it; Alt+F4 asks, No keeps the window, Yes
# ends the process. Screenshots are left in the build folder.
source "$(dirname "$0")/lib.sh"
e2e_start "$1" "$2" edit
nfo=$(cd "$(dirname "$0")/../.." && pwd)/data/examples/glimmer.nfo
[ -f "$nfo" ] || e2e_fail "the sample NFO is missing: $nfo"

# The long time format shows its own mark where the locale has one (AM/PM in en_US).
unset LC_ALL
export LANG=C.UTF-8
if locale -a 2>/dev/null | grep -qi '^en_US\.utf-\?8$'; then export LC_TIME=en_US.UTF-8; else export LC_TIME=C; fi
echo "LC_TIME=$LC_TIME"
e2e_launch
e2e_activate "$E2E_MAIN"

clipboard() { xclip -selection clipboard -o 2>/dev/null; }

# File > Open with the keyboard: the file name typed into the dialog.
e2e_keys ctrl+o
dialog=$(e2e_window "^Open$" 10) || e2e_fail "Ctrl+O did not show the file dialog"
e2e_type "$nfo"
e2e_keys Return
if ! e2e_gone "^Open$" 3; then e2e_keys Return; fi # the first Return may only close the completer
e2e_gone "^Open$" 5 || e2e_fail "the file dialog did not close"
e2e_activate "$E2E_MAIN"

# Line 14 of the file, as it must be shown: code page 437 decoded, without its CR.
line=$(iconv -f CP437 -t UTF-8 "$nfo" | sed -n 14p | tr -d '\r')
echo "line 14: $line"
printf 'MARKER' | xclip -selection clipboard -i
e2e_keys ctrl+Home Down Down Down Down Down Down Down Down Down Down Down Down Down
e2e_keys Right Right Right Right Right Right Right Right Right Right Right Right Right Right Right Right Right Right Right Right
e2e_keys ctrl+a
e2e_keys ctrl+c
e2e_poll 5 bash -c '[ "$(xclip -selection clipboard -o 2>/dev/null)" != MARKER ]' ||
  e2e_fail "Ctrl+C put nothing on the clipboard"
e2e_shot line-selected
copied=$(clipboard)
[ "$copied" = "$line" ] || e2e_fail "the clipboard holds \"$copied\" instead of line 14 \"$line\""

# F5 stamps over the selected line; the stamp is then the whole line, read back the same way.
before=$(date +'%x  %X')
e2e_keys F5
after=$(date +'%x  %X')
e2e_keys ctrl+a
e2e_keys ctrl+c
e2e_poll 5 bash -c '[ "$(xclip -selection clipboard -o 2>/dev/null)" != "$0" ]' "$line" ||
  e2e_fail "the stamp did not reach the clipboard"
stamp=$(clipboard)
echo "stamp: \"$stamp\" (date gives \"$before\" .. \"$after\")"
[ "$stamp" = "$before" ] || [ "$stamp" = "$after" ] ||
  e2e_fail "the stamp \"$stamp\" is not the date and time \"$before\""
e2e_shot stamped

# Alt+F4: the question; No keeps the window and its document.
e2e_keys alt+F4
box=$(e2e_window "^Glimmer$" 10) || e2e_fail "Alt+F4 did not ask before closing"
e2e_shot question
e2e_keys alt+n
e2e_gone "^Glimmer$" 5 || e2e_fail "No did not close the question"
sleep 0.5
e2e_alive || e2e_fail "No ended the program"
e2e_window "^Glimmer v1.0$" 2 >/dev/null || e2e_fail "No closed the main window"
e2e_activate "$E2E_MAIN"
e2e_keys ctrl+a ctrl+c
[ "$(clipboard)" = "$stamp" ] || e2e_fail "after No the document is not as it was"

# Alt+F4 again asks again; Enter takes the default answer, Yes, and the process ends.
e2e_keys alt+F4
e2e_window "^Glimmer$" 10 >/dev/null || e2e_fail "the second Alt+F4 did not ask"
e2e_keys Return
e2e_poll 10 bash -c "! kill -0 $E2E_PID 2>/dev/null" || e2e_fail "Yes did not end the program"
status=0
wait "$E2E_PID" || status=$?
E2E_PID=
[ "$status" -eq 0 ] || e2e_fail "the program ended with status $status"
echo PASS
