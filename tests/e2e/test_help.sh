#!/usr/bin/env bash
# Ctrl+T opens the tag help window; choosing entries shows their formatted help; the window
# comes back fresh after closing; the version window opens from the menu.
source "${E2E_LIB:-$(dirname "$0")/lib.sh}" "$@"
e2e_start
win=$(wait_window "Tavro - 無題" 40)
xdotool windowactivate --sync "$win" 2>/dev/null || true
keys ctrl+t
help=$(wait_window "Help" 15)
xdotool windowactivate --sync "$help" 2>/dev/null || true
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$help")"
# The number of colours in the help pane of screenshot $1.
pane_colours() {
  convert "$1" -crop "$((WIDTH*2/3-40))x$((HEIGHT-80))+$((X+WIDTH/3+20))+$((Y+40))" +repage \
    -colors 16 -unique-colors txt:- | tail -n +2 | wc -l
}
# It opens with no entry chosen, even with the focus in the list: the pane stays blank.
shot "$E2E_DIR/help-start.png"
colours=$(pane_colours "$E2E_DIR/help-start.png")
[ "$colours" -le 1 ] || fail "the help pane shows something before a choice ($colours colours)"
# The list has the focus: End chooses the last entry, two Ups the table entry (26).
keys End Up Up
sleep 0.8
shot "$E2E_DIR/help-table.png"
# The pane shows formatted text: more than one colour of ink on its white background.
colours=$(pane_colours "$E2E_DIR/help-table.png")
[ "$colours" -ge 3 ] || fail "the help pane looks empty ($colours colours)"
keys Home
sleep 0.5
keys Down
sleep 0.5
[ -n "${E2E_SHOTS:-}" ] && cp "$E2E_DIR/help-start.png" "$E2E_DIR/help-table.png" "$E2E_SHOTS/" || true
# Close it; Ctrl+T in the main window brings a fresh one.
keys alt+F4
sleep 0.5
xdotool windowactivate --sync "$win" 2>/dev/null || true
keys ctrl+t
wait_window "Help" 15 >/dev/null
kill -0 "$APP_PID" || fail "the program ended"
echo "help: ok"
