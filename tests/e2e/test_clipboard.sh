#!/usr/bin/env bash
# Cut and paste through the real X clipboard: a word selected by keys is cut with Ctrl+X, then
# the toolbar's paste button, clicked with the mouse, puts it back at the end of the text. A
# clipboard text with CR LF from another program pastes as lines, and Ctrl+V pastes once.
source "${E2E_LIB:-$(dirname "$0")/lib.sh}" "$@"

clip_out() { xclip -o -selection clipboard 2>/dev/null || true; }
clip_in() { printf "$1" | xclip -i -selection clipboard; sleep 0.3; }

# The document's whole text, read back through the program's own Ctrl+A and Ctrl+C.
document_text() { keys ctrl+a ctrl+c; sleep 0.3; clip_out; }

expect_clip() {
  local got; got=$(clip_out | od -An -c | tr -s ' \n' ' ')
  local want; want=$(printf "$1" | od -An -c | tr -s ' \n' ' ')
  [ "$got" = "$want" ] || fail "clipboard holds '$got', expected '$want'"
}

e2e_start
win=$(wait_window "Tavro - 無題" 40)
xdotool windowactivate --sync "$win" 2>/dev/null || true
sleep 0.5

type_text "hello world"
wait_window "Tavro - 無題 *" 10 >/dev/null
keys shift+Left shift+Left shift+Left shift+Left shift+Left ctrl+x
expect_clip "world"
[ "$(document_text)" = "hello " ] || fail "after the cut the text is '$(clip_out)'"

# The paste button. The window's client area starts below the menu bar (the window is the
# design's 554-pixel client area plus the bar); the toolbar fills the top 28 pixels of it.
# Its buttons are 24 pixels wide, one pixel apart after a 4-pixel margin, and a separator
# takes 7: the centre of position 7 (six buttons and one separator) lies 147 pixels in.
eval "$(xwininfo -id "$win" | awk '/Absolute upper-left X/ {print "wx=" $NF}
  /Absolute upper-left Y/ {print "wy=" $NF} /Height:/ {print "wh=" $NF}')"
menubar=$((wh - 554))
[ "$menubar" -gt 0 ] && [ "$menubar" -lt 60 ] || fail "unexpected window height $wh"
keys ctrl+End
clip_in "world"   # the paste button must read this, not what the program cut
xdotool mousemove $((wx + 147)) $((wy + menubar + 14)) click 1
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
