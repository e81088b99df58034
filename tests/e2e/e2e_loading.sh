#!/usr/bin/env bash
# A long RTF document opened in the real program, which paints its windows while it reads: what
# the user types meanwhile (Ctrl+End, then four letters) is not lost, nor taken by the first
# screen shown while the rest is read. Once the whole document is in, the letters stand at its
# end, on its last line at the bottom of the view.
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

# The dark pixels of a part of the main window (the view's text, or the status bar) in a
# screenshot of that name: how many, and how wide the part of the window they take.
dark_pixels() { # name, part
  e2e_shot "$1"
  local part=$2 geometry
  geometry=$(xdotool getwindowgeometry --shell "$E2E_MAIN" | awk -F= -v part="$part" '
    /^X=/ {x=$2} /^Y=/ {y=$2}
    END { if (part == "view") print "400x340+" x "+" y + 50; else print "400x16+" x + 10 "+" y + 404 }')
  convert "$E2E_OUT/$1.png" -crop "$geometry" +repage -threshold 50% "$E2E_OUT/$1-$part.png"
  local count width
  count=$(convert "$E2E_OUT/$1-$part.png" -format "%[fx:round((1-mean)*w*h)]" info:)
  width=0
  [ "$count" -gt 0 ] && width=$(convert "$E2E_OUT/$1-$part.png" -trim -format "%w" info:)
  echo "$count $width"
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
shown() { local dark; dark=$(dark_pixels first view); [ "${dark% *}" -gt 0 ]; }
e2e_poll 10 shown || e2e_fail "the document is not shown"

# The document is in once the status bar names it; the letters stand at its end, a line wider
# than one letter.
named() { local dark; dark=$(dark_pixels status status); [ "${dark% *}" -gt 0 ]; }
e2e_poll 60 named || e2e_fail "the status bar does not name the document"
sleep 0.5
last=$(dark_pixels last view)
echo "dark pixels of the text once read, and their width: $last"
[ "${last#* }" -ge 30 ] || e2e_fail "the letters typed while the document was read are not at its end"
e2e_alive || e2e_fail "the program died"
echo PASS
