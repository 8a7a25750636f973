# Helpers for end-to-end tests: the real program on its own Xvfb with a window manager,
# driven by xdotool, with its own settings and working folders. Source it, then call e2e_start.
set -Eeuo pipefail

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
# A command that fails outside the checks ends the script too: say which one.
trap 'echo "FAIL after ${SECONDS}s: line ${LINENO}: ${BASH_COMMAND}" >&2' ERR

fail() { echo "FAIL after ${SECONDS}s: $*" >&2; tail -n 5 "$E2E_DIR/app.log" 2>/dev/null | sed "s/^/app: /" >&2; [ -n "${DISPLAY:-}" ] && import -window root "$E2E_DIR/failure.png" 2>/dev/null && echo "screenshot: $E2E_DIR/failure.png" >&2; touch "$E2E_DIR/.keep"; exit 1; }

e2e_start_x() {
  local n=170 try xvfb=
  # Other test runs may take the same free display number at the same moment; then this
  # server exits (or another one answers) and the next number is tried.
  for try in 1 2 3 4 5; do
    while [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; do n=$((n+1)); done
    export DISPLAY=:$n
    Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 & xvfb=$!
    _pids+=($xvfb)
    for _ in $(seq 100); do
      kill -0 "$xvfb" 2>/dev/null || break
      xdpyinfo >/dev/null 2>&1 && break
      sleep 0.1
    done
    sleep 0.2
    kill -0 "$xvfb" 2>/dev/null && xdpyinfo >/dev/null 2>&1 && break
    n=$((n + 1))
  done
  kill -0 "$xvfb" 2>/dev/null && xdpyinfo >/dev/null 2>&1 || fail "Xvfb did not start"
  openbox >/dev/null 2>&1 & _pids+=($!)
  sleep 0.5
}

# Starts the program in the working folder; its output goes to $E2E_DIR/app.log.
e2e_start_app() {
  (cd "$E2E_DIR/work" && exec "$TAVRO_BIN" "$@") >"$E2E_DIR/app.log" 2>&1 & APP_PID=$!
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

# The X clipboard, as another program sees it.
clip_out() { xclip -o -selection clipboard 2>/dev/null || true; }
clip_in() { printf "$1" | xclip -i -selection clipboard; sleep 0.3; }
# Waits up to two seconds for the clipboard to hold the printf-format string $1.
expect_clip() {
  local got want; want=$(printf "$1" | od -An -c | tr -s ' \n' ' ')
  for _ in $(seq 20); do
    got=$(clip_out | od -An -c | tr -s ' \n' ' ')
    [ "$got" = "$want" ] && return 0
    sleep 0.1
  done
  fail "clipboard holds '$got', expected '$want'"
}
# The document's whole text, read back through the program's own Ctrl+A and Ctrl+C.
document_text() { keys ctrl+a ctrl+c; sleep 0.3; clip_out; }

# Clicks toolbar position $2 (1..17) of main window $1. The toolbar fills the top 28 pixels of
# the client area, below the menu bar (the window is the 554-pixel client area plus the bar);
# buttons are 24 pixels wide, one apart after a 4-pixel margin, and a separator takes 7.
toolbar_click() {
  local win=$1 pos=$2 x=4 i wx wy wh
  eval "$(xwininfo -id "$win" | awk '/Absolute upper-left X/ {print "wx=" $NF}
    /Absolute upper-left Y/ {print "wy=" $NF} /Height:/ {print "wh=" $NF}')"
  for ((i = 1; i < pos; i++)); do
    case $i in 4|8|10|14|16) x=$((x + 7)) ;; *) x=$((x + 25)) ;; esac
  done
  local menubar=$((MENUBAR_HEIGHT))
  xdotool mousemove "$((wx + x + 11))" "$((wy + menubar + 14))" click 1
  sleep 0.3
}
# Height of the main window's menu bar, from a window still at its first size.
measure_menubar() {
  local wh; wh=$(xwininfo -id "$1" | awk '/Height:/ {print $NF}')
  MENUBAR_HEIGHT=$((wh - 554))
  [ "$MENUBAR_HEIGHT" -gt 0 ] && [ "$MENUBAR_HEIGHT" -lt 60 ] || fail "unexpected window height $wh"
}

# Pane checks by colour: the page in the preview is painted in one colour, the editor is white.
# The colour (RRGGBB) at x,y inside window $LAYOUT_WIN, from a fresh capture.
# A capture can fail while the window is being resized or mapped: that reads as no colour, and
# the caller looks again.
pixel() {
  import -window "$LAYOUT_WIN" "$E2E_DIR/px.png" 2>/dev/null \
    && convert "$E2E_DIR/px.png" -format "%[hex:p{$1,$2}]" info: 2>/dev/null | cut -c1-6 \
    || echo none
}
size() {
  eval "$(xdotool getwindowgeometry --shell "$LAYOUT_WIN" 2>/dev/null || true)"
  W=${WIDTH:-0}; H=${HEIGHT:-0}
}
# Half the width, exact halves to the even neighbour: where the preview starts in normal mode.
half() { local h=$((W / 2)); if ((W % 2 && h % 2)); then h=$((h + 1)); fi; echo $h; }
# expect_layout MODE COLOUR: waits until the panes show MODE with the page painted in COLOUR.
expect_layout() {
  local mode=$1 colour=$2 y left right mid c1 c2 c3 c4
  for _ in $(seq 60); do
    size; y=$((H * 3 / 4)); mid=$(half); left=3; right=$((W - 4))
    c1=$(pixel $left $y); c2=$(pixel $((mid - 3)) $y); c3=$(pixel $((mid + 2)) $y); c4=$(pixel $right $y)
    case $mode in
      normal)  [ "$c1" != "$colour" ] && [ "$c2" != "$colour" ] && [ "$c3" = "$colour" ] && [ "$c4" = "$colour" ] && return 0 ;;
      text)    [ "$c1" != "$colour" ] && [ "$c3" = FFFFFF ] && [ "$c4" != "$colour" ] && return 0 ;;
      browser) [ "$c1" = "$colour" ] && [ "$c2" = "$colour" ] && [ "$c3" = "$colour" ] && [ "$c4" = "$colour" ] && return 0 ;;
    esac
    sleep 0.25
  done
  fail "$mode layout with $colour not seen at width $W (x=$left,$((mid - 3)),$((mid + 2)),$right: $c1 $c2 $c3 $c4)"
}

# Maximises $LAYOUT_WIN by the window manager's own double click on its title bar. A busy
# machine may take the two clicks for two single ones, so it tries again.
maximise_by_title_bar() {
  local before ax ay
  size; before=$W
  ax=$(xwininfo -id "$LAYOUT_WIN" | awk '/Absolute upper-left X/ {print $4}')
  ay=$(xwininfo -id "$LAYOUT_WIN" | awk '/Absolute upper-left Y/ {print $4}')
  for _ in 1 2 3; do
    xdotool mousemove --sync $((ax + W / 2)) $((ay - 8)) click --repeat 2 --delay 80 1
    for _ in $(seq 30); do size; [ "$W" -gt "$before" ] && return 0; sleep 0.1; done
  done
  fail "the window did not maximise"
}

# The program is still running (not ended, not a zombie).
running() { [ -d /proc/$APP_PID ] && ! grep -q '^[^ ]* ([^)]*) Z' /proc/$APP_PID/stat 2>/dev/null; }

# Waits for the program's message box (titled just "Tavro"), activates it, presses $1.
answer() {
  local id; id=$(wait_window "Tavro" 10)
  xdotool windowactivate --sync "$id" 2>/dev/null || true
  sleep 0.3
  keys "$1"
}

# Waits for a file dialog (any active window other than the main one and the question box)
# over main window $1 and types path $2 into its file-name field, or presses Escape for none.
dialog() {
  local main=$1 path=${2:-} t
  for _ in $(seq 100); do
    t=$(active_title)
    [ -n "$t" ] && [ "$t" != "$main" ] && [ "$t" != "Tavro" ] && break
    sleep 0.1
  done
  [ "$t" != "$main" ] && [ "$t" != "Tavro" ] || fail "no file dialog appeared over '$main'"
  sleep 0.4
  if [ -z "$path" ]; then keys Escape; else keys ctrl+a; type_text "$path"; keys Return; fi
}

# Asserts for a moment that the main window keeps title $1 and that no other window took over.
stays() {
  sleep 0.8
  running || fail "the program ended"
  [ "$(active_title)" = "$1" ] || fail "expected '$1' to stay active, found '$(active_title)' (windows: $(titles))"
}

wait_end() {
  for _ in $(seq 100); do running || return 0; sleep 0.1; done
  fail "the program is still running"
}

# Starts the program and waits for its untitled main window, active; its id is in $win.
start() {
  e2e_start_app
  win=$(wait_window "Tavro - 無題" 40)
  xdotool windowactivate --sync "$win" 2>/dev/null || true
  sleep 0.5
}
