#!/usr/bin/env bash
# Glimmer on a Wayland desktop with no X server at all: Debian's weston on its headless backend,
# only WAYLAND_DISPLAY set. The main window must come up (its white view shows in weston's own
# screenshot) and the program must keep running until it is ended.
set -euo pipefail
program=$1
out=$2/e2e/wayland
rm -rf "$out"; mkdir -p "$out"
command -v weston >/dev/null || { echo "FAIL: weston is not installed (scripts/deps test)" >&2; exit 1; }

export XDG_RUNTIME_DIR=$out/runtime HOME=$out/home
mkdir -p -m 700 "$XDG_RUNTIME_DIR"; mkdir -p "$HOME"
unset DISPLAY QT_QPA_PLATFORM XDG_SESSION_TYPE
socket=wayland-glimmer-test
weston_pid= glimmer_pid=
cleanup() {
  [ -n "$glimmer_pid" ] && kill "$glimmer_pid" 2>/dev/null || true
  [ -n "$weston_pid" ] && kill "$weston_pid" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
poll() { local deadline=$((SECONDS + $1)); shift; until "$@"; do [ $SECONDS -ge $deadline ] && return 1; sleep 0.1; done; }

# --debug lets weston-screenshooter take pictures; the pixman renderer draws into memory.
weston --backend=headless-backend.so --use-pixman --width=1024 --height=768 --idle-time=0 \
  --socket="$socket" --debug >"$out/weston.log" 2>&1 &
weston_pid=$!
poll 10 test -S "$XDG_RUNTIME_DIR/$socket" || fail "weston did not start: $(tail -3 "$out/weston.log")"
export WAYLAND_DISPLAY=$socket
sleep 1

# White pixels of a screenshot (the view's background; weston's desktop has none to speak of).
shot() { # name
  rm -f "$out"/wayland-screenshot-*.png
  (cd "$out" && weston-screenshooter) || fail "weston-screenshooter failed"
  mv "$out"/wayland-screenshot-*.png "$out/$1.png"
  convert "$out/$1.png" -fill black +opaque white -fill white -opaque white \
    -format "%[fx:round(mean*w*h)]" info:
}
before=$(shot desktop)

"$program" >"$out/glimmer.log" 2>&1 &
glimmer_pid=$!
# The window is there once the screen has a view's worth of white: 505 x 390 pixels or more.
appeared() { [ $(($(shot window) - before)) -gt 150000 ]; }
poll 20 appeared || fail "no main window on the Wayland screen ($(cat "$out/glimmer.log"))"
kill -0 "$glimmer_pid" || fail "the program ended on Wayland: $(cat "$out/glimmer.log")"
echo "white pixels: $before before, $(shot window) with the window"
echo "screenshot: $out/window.png"
grep -i "could not\|failed\|abort" "$out/glimmer.log" && fail "the program complained on Wayland"

kill "$glimmer_pid"
wait "$glimmer_pid" 2>/dev/null || true
glimmer_pid=
echo PASS
