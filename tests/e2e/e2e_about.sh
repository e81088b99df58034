#!/usr/bin/env bash
# The About box from the menu: shown centred on the screen, its link colours change between two
# screenshots a second apart, and Escape closes it.
source "$(dirname "$0")/lib.sh"
e2e_start "$1" "$2" about
e2e_launch

e2e_activate "$E2E_MAIN"
e2e_keys alt+u Return
about=$(e2e_window "^About Glimmer$" 10) || e2e_fail "About did not open the About box"

# Centred: the middle of its client area within a title bar's height of the screen's middle.
eval "$(xdotool getwindowgeometry --shell "$about")"
echo "About box at ${X},${Y}, ${WIDTH}x${HEIGHT}"
[ "$WIDTH" = 383 ] && [ "$HEIGHT" = 256 ] || e2e_fail "the About box is ${WIDTH}x${HEIGHT}, not 383x256"
cx=$((X + WIDTH / 2)); cy=$((Y + HEIGHT / 2))
[ $((cx - 640)) -ge -4 ] && [ $((cx - 640)) -le 4 ] || e2e_fail "not centred across: middle at x=$cx"
[ $((cy - 512)) -ge -30 ] && [ $((cy - 512)) -le 30 ] || e2e_fail "not centred down: middle at y=$cy"

# The two link labels: web at (48,192), mail at (48,216) in the client area, one line high.
links() { import -window "$about" -crop 200x44+48+188 +repage "$E2E_OUT/$1.png" 2>/dev/null; }
sleep 1
e2e_shot about-1
links links-1
sleep 1
e2e_shot about-2
links links-2
diff=$(compare -metric AE "$E2E_OUT/links-1.png" "$E2E_OUT/links-2.png" null: 2>&1 || true)
echo "link pixels that changed in a second: $diff"
[ "${diff%% *}" -gt 20 ] 2>/dev/null || e2e_fail "the link colours did not change: $diff"

e2e_keys Escape
e2e_gone "^About Glimmer$" 5 || e2e_fail "Escape did not close the About box"
e2e_shot after-escape
e2e_alive || e2e_fail "the program died"
echo PASS
