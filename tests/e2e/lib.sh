# Helpers for end-to-end tests: the real program on its own Xvfb with a window manager,
# driven by xdotool, with its own settings and working folders. Source it, then call e2e_start.
set -euo pipefail

TAVRO_BIN=$(readlink -f "${1:?usage: test_X.sh path/to/tavro}")
E2E_DIR=$(mktemp -d /tmp/tavro-e2e.XXXXXX)
export XDG_CONFIG_HOME=$E2E_DIR/config XDG_RUNTIME_DIR=$E2E_DIR/run HOME=$E2E_DIR/home
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$HOME" "$E2E_DIR/work"
chmod 700 "$XDG_RUNTIME_DIR"
export QTWEBENGINE_DISABLE_SANDBOX=1
unset QT_QPA_PLATFORM
_pids=()

e2e_cleanup() {
  for p in "${_pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  [ -n "${E2E_KEEP:-}" ] || [ -e "$E2E_DIR/.keep" ] || rm -rf "$E2E_DIR"
}
trap e2e_cleanup EXIT

fail() { echo "FAIL: $*" >&2; [ -n "${DISPLAY:-}" ] && import -window root "$E2E_DIR/failure.png" 2>/dev/null && echo "screenshot: $E2E_DIR/failure.png" >&2; touch "$E2E_DIR/.keep"; exit 1; }

e2e_start_x() {
  local n=170
  while [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; do n=$((n+1)); done
  export DISPLAY=:$n
  Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 & _pids+=($!)
  for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  xdpyinfo >/dev/null 2>&1 || fail "Xvfb did not start"
  openbox >/dev/null 2>&1 & _pids+=($!)
  sleep 0.5
}

# Starts the program in the working folder; its output goes to $E2E_DIR/app.log.
e2e_start_app() {
  (cd "$E2E_DIR/work" && exec "$TAVRO_BIN") >"$E2E_DIR/app.log" 2>&1 & APP_PID=$!
  _pids+=($APP_PID)
}

e2e_start() { e2e_start_x; e2e_start_app; }

# Waits until a window whose whole title is $1 exists; prints its id.
wait_window() {
  local title=$1 timeout=${2:-30} id
  for _ in $(seq $((timeout * 10))); do
    id=$(xdotool search --onlyvisible --name "^$(printf '%s' "$title" | sed 's/[][\.*^$]/\\&/g')\$" 2>/dev/null | head -n1 || true)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.1
  done
  fail "no window titled '$title' within ${timeout}s (windows: $(titles))"
}

titles() { xdotool search --onlyvisible --name '.' getwindowname %@ 2>/dev/null | tr '\n' '|' || true; }

active_title() { xdotool getactivewindow getwindowname 2>/dev/null || true; }

keys() { for k in "$@"; do xdotool key --clearmodifiers "$k"; sleep 0.15; done; }
type_text() { xdotool type --delay 20 "$1"; sleep 0.2; }

# Asserts that the file's bytes equal the printf-format string $2.
expect_bytes() {
  local file=$1 want
  want=$(printf "$2" | od -An -tx1 | tr -d ' \n')
  [ -f "$file" ] || fail "$file was not written"
  local got; got=$(od -An -tx1 "$file" | tr -d ' \n')
  [ "$got" = "$want" ] || fail "$file holds $got, expected $want"
}

shot() { import -window root "$1"; }
