#!/usr/bin/env bash
# As a user: type a page, F5 and name it, see it rendered in the right half; Ctrl+H, Ctrl+J and
# Ctrl+K switch the layouts, also after resizing, maximising, minimising and restoring.
# Screenshots go to $E2E_SHOTS (default: the test's own scratch folder).
source "${E2E_LIB:-$(dirname "$0")/lib.sh}" "$@"
SHOTS=${E2E_SHOTS:-$E2E_DIR}
mkdir -p "$SHOTS"
e2e_start
win=$(wait_window "Tavro - 無題" 40)
xdotool windowactivate --sync "$win" 2>/dev/null || true
sleep 0.5
LAYOUT_WIN=$win
# The browser engine's helper processes, started only when a page is first asked for.
engines() { pgrep -c -P "$APP_PID" -f QtWebEngineProcess || true; }
sleep 1
[ "$(engines)" = 0 ] || fail "start-up alone started the browser engine"

GREEN=00FF00 BLUE=0000FF

# Each mode by its shortcut, ending in normal.
cycle_modes() {
  xdotool windowactivate --sync "$win" 2>/dev/null || true
  keys ctrl+h; expect_layout text "$1"
  keys ctrl+k; expect_layout browser "$1"
  keys ctrl+j; expect_layout normal "$1"
}

# Type a page, preview it: the save dialog asks for a name first.
type_text '<html><body style=background:#00ff00><h1>Tavro preview</h1></body></html>'
wait_window "Tavro - 無題 *" 10 >/dev/null
keys F5
dialog "Tavro - 無題 *" "$E2E_DIR/work/page.htm"
wait_window "Tavro - page.htm" 15 >/dev/null
expect_bytes "$E2E_DIR/work/page.html" '<html><body style=background:#00ff00><h1>Tavro preview</h1></body></html>\r\n'
expect_layout normal $GREEN
[ "$(engines)" -gt 0 ] || fail "the preview shows a page, but no engine process was seen"
shot "$SHOTS/preview_normal.png"
cycle_modes $GREEN

# Preview in text priority: the page loads into the hidden pane and shows on the way back.
keys ctrl+h
expect_layout text $GREEN
keys ctrl+End
type_text '<style>body{background:#0000ff !important}</style>'
keys F5
wait_window "Tavro - page.htm" 15 >/dev/null
expect_layout text $BLUE
keys ctrl+j
expect_layout normal $BLUE
shot "$SHOTS/preview_after_edit.png"

# Other sizes: an odd width, then maximised.
xdotool windowsize --sync "$win" 901 650 2>/dev/null || xdotool windowsize "$win" 901 650
sleep 0.5
expect_layout normal $BLUE
cycle_modes $BLUE
maximise_by_title_bar
expect_layout normal $BLUE
keys ctrl+k
expect_layout browser $BLUE
shot "$SHOTS/maximised_browser.png"

# Minimised and restored: the mode in force comes back.
xdotool windowminimize --sync "$win" 2>/dev/null || xdotool windowminimize "$win"
sleep 0.5
xdotool windowactivate --sync "$win" 2>/dev/null || true
expect_layout browser $BLUE
keys ctrl+j
expect_layout normal $BLUE
echo "layouts and preview: ok (screenshots in $SHOTS)"
