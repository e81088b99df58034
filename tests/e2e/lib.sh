# Shared steps of the end-to-end tests: a private X display with a window manager, the real
# program started on it, and helpers to wait for windows, type and take screenshots.
# Usage in a test: source lib.sh; e2e_start "$glimmer" "$outdir" NAME
set -euo pipefail

e2e_fail() { echo "FAIL: $*" >&2; e2e_shot "failure"; exit 1; }

e2e_start() { # program, build dir, test name
  E2E_PROGRAM=$1
  E2E_OUT=$2/e2e/$3
  rm -rf "$E2E_OUT"; mkdir -p "$E2E_OUT"
  export XDG_RUNTIME_DIR=$E2E_OUT/xdg; mkdir -p -m 700 "$XDG_RUNTIME_DIR"
  export HOME=$E2E_OUT/home; mkdir -p "$HOME"
  unset WAYLAND_DISPLAY QT_QPA_PLATFORM
  local n
  for n in $(seq 90 140); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$E2E_OUT/xvfb.log" 2>&1 &
    E2E_XVFB=$!
    export DISPLAY=":$n"
    if e2e_poll 10 xdpyinfo >/dev/null 2>&1; then break; fi
    kill "$E2E_XVFB" 2>/dev/null || true; E2E_XVFB=
  done
  [ -n "${E2E_XVFB:-}" ] || { echo "FAIL: no X display could be started" >&2; exit 1; }
  openbox >"$E2E_OUT/openbox.log" 2>&1 &
  E2E_WM=$!
  trap e2e_cleanup EXIT
  sleep 0.5
}

e2e_launch() { # extra environment assignments may precede the call
  "$E2E_PROGRAM" >"$E2E_OUT/glimmer.log" 2>&1 &
  E2E_PID=$!
  E2E_MAIN=$(e2e_window "^Glimmer v1.0$" 20) || e2e_fail "the main window did not appear"
}

e2e_cleanup() {
  [ -n "${E2E_PID:-}" ] && kill "$E2E_PID" 2>/dev/null || true
  [ -n "${E2E_WM:-}" ] && kill "$E2E_WM" 2>/dev/null || true
  [ -n "${E2E_XVFB:-}" ] && kill "$E2E_XVFB" 2>/dev/null || true
  wait 2>/dev/null || true
}

# Runs a command every 0.1 s until it succeeds or the seconds run out.
e2e_poll() { # seconds, command...
  local deadline=$((SECONDS + $1)); shift
  until "$@"; do
    [ $SECONDS -ge $deadline ] && return 1
    sleep 0.1
  done
}

# Prints the id of a visible window whose name matches the pattern, waiting for it.
e2e_window() { # name pattern, seconds
  local deadline=$((SECONDS + ${2:-10})) id
  while :; do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    [ $SECONDS -ge $deadline ] && return 1
    sleep 0.1
  done
}

e2e_gone() { # name pattern, seconds
  local deadline=$((SECONDS + ${2:-10}))
  while xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; do
    [ $SECONDS -ge $deadline ] && return 1
    sleep 0.1
  done
}

e2e_activate() { xdotool windowactivate --sync "$1" >/dev/null 2>&1 || xdotool windowfocus --sync "$1"; sleep 0.2; }
e2e_keys() { xdotool key --clearmodifiers --delay 60 "$@"; sleep 0.3; }
e2e_type() { xdotool type --clearmodifiers --delay 20 "$1"; sleep 0.2; }
e2e_shot() { import -window root "$E2E_OUT/$1.png" 2>/dev/null || true; }
e2e_alive() { kill -0 "$E2E_PID" 2>/dev/null; }
