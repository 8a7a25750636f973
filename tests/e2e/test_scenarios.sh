#!/usr/bin/env bash
# A working session across the subsystems: the colour picker's code pasted into the document,
# copy and select all by keys and by toolbar, the three layouts by toolbar clicks after a
# resize and a maximise, and the preview by its toolbar button.
source "${E2E_LIB:-$(dirname "$0")/lib.sh}" "$@"
e2e_start
win=$(wait_window "Tavro - 無題" 40)
LAYOUT_WIN=$win
measure_menubar "$win"
xdotool windowactivate --sync "$win" 2>/dev/null || true
sleep 0.5

# A page whose background comes from the colour picker: #FF0000 (red slider to its end).
type_text '<html><body style="background:'
keys ctrl+w
picker=$(wait_window "カラー表示" 15)
xdotool windowactivate --sync "$picker" 2>/dev/null || true
sleep 0.3
keys End Tab Tab Tab space
expect_clip "#FF0000"
xdotool windowactivate --sync "$win" 2>/dev/null || true
sleep 0.3
keys ctrl+v
type_text '"><p>colour</p></body></html>'
# Copy by the toolbar button after select all by key.
keys ctrl+a
clip_in "other"
toolbar_click "$win" 6
expect_clip '<html><body style="background:#FF0000"><p>colour</p></body></html>'
keys ctrl+End

# The preview by its toolbar button: the save dialog, then the page.
toolbar_click "$win" 9
dialog "Tavro - 無題 *" "$E2E_DIR/work/colour.htm"
wait_window "Tavro - colour.htm" 15 >/dev/null
expect_bytes "$E2E_DIR/work/colour.html" '<html><body style="background:#FF0000"><p>colour</p></body></html>\r\n'
expect_layout normal FF0000

# The layouts by toolbar clicks: 11 text priority, 13 browser priority, 12 normal.
toolbar_click "$win" 11; expect_layout text FF0000
toolbar_click "$win" 13; expect_layout browser FF0000
toolbar_click "$win" 12; expect_layout normal FF0000
xdotool windowsize --sync "$win" 1001 700 2>/dev/null || xdotool windowsize "$win" 1001 700
sleep 0.5
expect_layout normal FF0000
toolbar_click "$win" 13; expect_layout browser FF0000
toolbar_click "$win" 11; expect_layout text FF0000
# Maximised by the window manager's own double click on the title bar.
maximise_by_title_bar
expect_layout text FF0000
toolbar_click "$win" 12; expect_layout normal FF0000
toolbar_click "$win" 13; expect_layout browser FF0000
# Browser priority hides the editor, yet select all and copy by key still reach its text.
keys ctrl+a ctrl+c
sleep 0.3
expect_clip '<html><body style="background:#FF0000"><p>colour</p></body></html>'
shot "$E2E_DIR/maximised.png"
[ -n "${E2E_SHOTS:-}" ] && cp "$E2E_DIR/maximised.png" "$E2E_SHOTS/" || true
[ "$(active_title)" = "Tavro - colour.htm" ] || fail "title is '$(active_title)'"
echo "scenarios: ok"
