#!/usr/bin/env bash
# Glimmer writes no files: the real program, given an empty home folder and empty XDG folders of
# its own, goes through File > Open (the file dialog, navigated and closed), Find with a search,
# the About box, and Exit; afterwards every one of those folders is still empty.
source "$(dirname "$0")/lib.sh"
e2e_start "$1" "$2" home

user=$E2E_OUT/user
folders=(home config cache data state runtime)
for f in "${folders[@]}"; do mkdir -p -m 700 "$user/$f"; done
printf 'the cat sat on the mat\r\n' >"$E2E_OUT/cat.nfo"

# The program alone gets the empty folders; the window manager and the tools keep their own.
HOME=$user/home XDG_CONFIG_HOME=$user/config XDG_CACHE_HOME=$user/cache \
  XDG_DATA_HOME=$user/data XDG_STATE_HOME=$user/state XDG_RUNTIME_DIR=$user/runtime \
  "$E2E_PROGRAM" >"$E2E_OUT/glimmer.log" 2>&1 &
E2E_PID=$!
E2E_MAIN=$(e2e_window "^Glimmer v1.0$" 20) || e2e_fail "the main window did not appear"
e2e_activate "$E2E_MAIN"

# File > Open: the dialog goes to another folder first, then opens the file by its name.
e2e_keys ctrl+o
e2e_window "^Open$" 10 >/dev/null || e2e_fail "Ctrl+O did not show the file dialog"
e2e_type "/tmp/"
e2e_keys Return
sleep 0.5
e2e_type "$E2E_OUT/cat.nfo"
e2e_keys Return
if ! e2e_gone "^Open$" 3; then e2e_keys Return; fi # the first Return may only close the completer
e2e_gone "^Open$" 5 || e2e_fail "the file dialog did not close"

# Find: a word searched for.
e2e_activate "$E2E_MAIN"
e2e_keys F3
e2e_window "^Search\.\.\.$" 10 >/dev/null || e2e_fail "F3 did not show the find dialog"
e2e_keys Tab
e2e_type "cat"
e2e_keys Tab space
e2e_gone "^Search\.\.\.$" 5 || e2e_fail "the find dialog did not hide after the search"

# About, shown for a moment, closed with Escape.
e2e_activate "$E2E_MAIN"
e2e_keys alt+u Return
e2e_window "^About Glimmer$" 10 >/dev/null || e2e_fail "About did not open the About box"
sleep 1
e2e_shot about
e2e_keys Escape
e2e_gone "^About Glimmer$" 5 || e2e_fail "Escape did not close the About box"

# Exit, with Yes to the question.
e2e_activate "$E2E_MAIN"
e2e_keys alt+f x
e2e_window "^Glimmer$" 10 >/dev/null || e2e_fail "Exit did not ask"
e2e_keys Return
e2e_poll 10 bash -c "! kill -0 $E2E_PID 2>/dev/null" || e2e_fail "Yes did not end the program"
E2E_PID=

left=$(find "$user" -mindepth 2 | sed "s|^$user/||")
[ -z "$left" ] || e2e_fail "the program left files behind: $(echo $left)"
echo "every folder still empty: ${folders[*]}"
echo PASS
