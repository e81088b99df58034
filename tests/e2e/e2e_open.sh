#!/usr/bin/env bash
# File > Open on the real program, by keyboard: Ctrl+O, the path typed into the dialog, Enter.
# The code-page-437 art of the file appears in the view with its block characters tiling without
# gaps. Screenshots are left in the build folder.
source "$(dirname "$0")/lib.sh"
e2e_start "$1" "$2" open

# The document: five rows of 30 full blocks, then shades and a double box, CR LF line ends and a
# DOS end-of-file byte, all in code page 437.
nfo=$E2E_OUT/art.nfo
{
  for row in 1 2 3 4 5; do
    printf '\xdb%.0s' $(seq 30); printf '\r\n'
  done
  printf '\xb0\xb0\xb1\xb1\xb2\xb2\xdb\xdb shades\r\n'
  printf '\xc9\xcd\xcd\xcd\xcd\xbb\r\n\xba open \xba\r\n\xc8\xcd\xcd\xcd\xcd\xbc\r\n\x1a'
} >"$nfo"

e2e_launch
e2e_activate "$E2E_MAIN"
e2e_keys ctrl+o
dialog=$(e2e_window "^Open$" 10) || e2e_fail "the Open dialog did not appear"
e2e_activate "$dialog"
e2e_shot dialog
e2e_type "$nfo"
e2e_keys Return
# The completion list may take the first Enter.
if ! e2e_gone "^Open$" 2; then
  e2e_keys Return
  e2e_gone "^Open$" 5 || e2e_fail "the Open dialog did not close"
fi
sleep 0.5
e2e_shot opened
echo "screenshot: $E2E_OUT/opened.png"
e2e_alive || e2e_fail "the program died"

# The main window's picture, cut out of the screen.
geometry=$(xdotool getwindowgeometry --shell "$E2E_MAIN" | awk -F= '
  /^X=/ {x=$2} /^Y=/ {y=$2} /^WIDTH=/ {w=$2} /^HEIGHT=/ {h=$2} END {print w "x" h "+" x "+" y}')
convert "$E2E_OUT/opened.png" -crop "$geometry" +repage "$E2E_OUT/window.png"

# The five rows of blocks are one solid black rectangle, 30 cells of 8 by 16 pixels. Eroding the
# black pixels by a 200 by 60 rectangle leaves 41 by 21 of it; a gap between the rows or the
# cells leaves nothing.
solid=$(convert "$E2E_OUT/window.png" -fill white +opaque black -negate \
  -morphology Erode Rectangle:200x60 -format "%[fx:round(mean*w*h)]" info:)
echo "pixels left of the solid blocks after erosion: $solid (861 when they tile)"
[ "$solid" -ge 800 ] || e2e_fail "the block characters do not tile without gaps"

echo PASS
