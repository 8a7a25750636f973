#!/usr/bin/env bash
# Cut and paste through the real X clipboard: a word selected by keys is cut with Ctrl+X, then
# the toolbar's paste button, clicked with the mouse, puts it back at the end of the text. A
# clipboard text with CR LF from another program pastes as lines, and Ctrl+V pastes once.
source "${E2E_LIB:-$(dirname "$0")/lib.sh}" "$@"

e2e_start
win=$(wait_window "Tavro - 無題" 40)
xdotool windowactivate --sync "$win" 2>/dev/null || true
sleep 0.5

type_text "hello world"
wait_window "Tavro - 無題 *" 10 >/dev/null
keys shift+Left shift+Left shift+Left shift+Left shift+Left ctrl+x
expect_clip "world"
[ "$(document_text)" = "hello " ] || fail "after the cut the text is '$(clip_out)'"

# The paste button, clicked with the mouse.
measure_menubar "$win"
keys ctrl+End
clip_in "world"   # the paste button must read this, not what the program cut
toolbar_click "$win" 7
sleep 0.5
expect_clip "world"
[ "$(active_title)" = "Tavro - 無題 *" ] || fail "title is '$(active_title)'"
[ "$(document_text)" = "hello world" ] || fail "after the paste the text is '$(clip_out)'"

# Ctrl+V pastes exactly once, and CR LF from another program becomes the pane's line break
# (Ctrl+C gives the lines back with one LF each).
keys ctrl+End
clip_in "<p>\r\n</p>"
keys ctrl+v
expect_clip "<p>\r\n</p>"
keys ctrl+a ctrl+c
sleep 0.3
expect_clip "hello world<p>\n</p>"

# Del with nothing selected leaves the text alone; Ctrl+H is no backspace.
keys ctrl+End Left Left Delete ctrl+h
[ "$(document_text)" = "$(printf 'hello world<p>\n</p>')" ] || fail "Del or Ctrl+H edited: '$(clip_out)'"
echo "clipboard: ok"
