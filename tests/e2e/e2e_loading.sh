#!/usr/bin/env bash
# A long RTF document opened in the real program: its first screen is shown while the rest is
# read, and what the user types meanwhile (Ctrl+End, then four letters) is not lost: once the
# whole document is in, the letters stand at its end, on its last line at the bottom of the view.
source "$(dirname "$0")/lib.sh"
e2e_start "$1" "$2" loading

# Four million paragraphs of one letter, 24 MB: longer to read than a second on this machine.
document=$E2E_OUT/long.rtf
python3 -c '
import sys
out = open(sys.argv[1], "w")
out.write("{\\rtf1\\ansi{\\fonttbl{\\f0\\froman Times New Roman;}}\\f0\\fs24 ")
out.write("a\\par " * 4000000)
out.write("}")' "$document"

# The dark pixels of the view's text, as WIDTHxHEIGHT+X+Y inside the main window.
text_box() {
  e2e_shot "$1"
  local geometry
  geometry=$(xdotool getwindowgeometry --shell "$E2E_MAIN" | awk -F= '
    /^X=/ {x=$2} /^Y=/ {y=$2} END {print "400x340+" x "+" y + 50}')
  convert "$E2E_OUT/$1.png" -crop "$geometry" +repage -write "$E2E_OUT/$1-view.png" -threshold 50% -negate -trim \
    -format "%wx%h+%X+%Y" info: 2>/dev/null || echo "0x0+0+0"
}

e2e_launch
e2e_activate "$E2E_MAIN"
e2e_keys ctrl+o
dialog=$(e2e_window "^Open$" 10) || e2e_fail "the Open dialog did not appear"
e2e_activate "$dialog"
e2e_type "$document"
xdotool key --clearmodifiers Return
e2e_gone "^Open$" 3 || { xdotool key --clearmodifiers Return; e2e_gone "^Open$" 5; } \
  || e2e_fail "the Open dialog did not close"
xdotool key --clearmodifiers ctrl+End
xdotool type --clearmodifiers --delay 20 "wwww"
first=$(text_box first)
echo "text while reading: $first"
[ "${first%%x*}" -gt 0 ] || e2e_fail "nothing is shown while the document is read"

# The letters come once the document is in: a line wider than one letter.
wide() { local box; box=$(text_box last); [ "${box%%x*}" -ge 30 ]; }
e2e_poll 60 wide || e2e_fail "the letters typed while the document was read are not at its end"
echo "text once read: $(text_box last)"
e2e_alive || e2e_fail "the program died"
echo PASS
