#!/usr/bin/env bash
# The colour picker and the version window on a real display: Ctrl+W opens the picker, slider
# keys build the code, "コピー" puts it on the X clipboard, the version window opens from the
# Help menu, Enter hides it, and both windows reopen as they should.
source "${E2E_LIB:-$(dirname "$0")/lib.sh}" "$@"
e2e_start
main=$(wait_window "Tavro - 無題" 40)
xdotool windowactivate --sync "$main" 2>/dev/null || true
sleep 0.5

press() { local k=$1 n=$2; for _ in $(seq "$n"); do xdotool key --clearmodifiers "$k"; done; sleep 0.2; }
visible() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1 || true; }
# Top-left corner of a window on the screen, as "x,y".
place() { xdotool getwindowgeometry --shell "$1" | awk -F= '/^X=/{x=$2} /^Y=/{y=$2} END{print x "," y}'; }

# Ctrl+W opens the picker with the red slider focused; copying at once gives black.
keys ctrl+w
picker=$(wait_window "カラー表示" 10)
xdotool windowactivate --sync "$picker" 2>/dev/null || true
sleep 0.3
keys Tab Tab Tab space
expect_clip "#000000"

# Back to red (Tab wraps): End gives 255; green: 25 page steps and 3 arrows give 128.
keys Tab End Tab
press Page_Up 25
press Right 3
keys Tab Tab space
expect_clip "#FF8000"

# Blue by the arrows alone, then the button by the mouse.
keys Tab Tab Tab
press Right 16
eval "$(xdotool getwindowgeometry --shell "$picker")"
xdotool mousemove --window "$picker" 264 96 click 1
sleep 0.3
expect_clip "#FF8010"

# Opening again while open keeps the mix.
xdotool windowactivate --sync "$main" 2>/dev/null || true
sleep 0.3
keys ctrl+w
[ "$(wait_window "カラー表示" 5)" = "$picker" ] || fail "a second picker window opened"
keys Tab Tab Tab Tab space
expect_clip "#FF8010"

# The version window from the Help menu.
xdotool windowactivate --sync "$main" 2>/dev/null || true
sleep 0.3
keys alt+h a
about=$(wait_window "バージョン情報" 10)
xdotool windowactivate --sync "$about" 2>/dev/null || true
sleep 0.5
shot "${E2E_SHOT:-$E2E_DIR/color_about.png}"

# Esc leaves it; Enter presses OK and hides it. Moved away from where it first stood, it
# comes back where OK hid it.
keys Escape
[ -n "$(visible "バージョン情報")" ] || fail "Esc closed the version window"
first=$(place "$about")
xdotool windowmove --sync "$about" 123 456 2>/dev/null || xdotool windowmove "$about" 123 456
sleep 0.3
before=$(place "$about")
[ "$before" != "$first" ] || fail "the version window could not be moved"
keys Return
sleep 0.3
[ -z "$(visible "バージョン情報")" ] || fail "Enter did not hide the version window"
xdotool windowactivate --sync "$main" 2>/dev/null || true
sleep 0.3
keys alt+h a
again=$(wait_window "バージョン情報" 10)
[ "$again" = "$about" ] || fail "the version window was built anew instead of shown again"
sleep 0.3
after=$(place "$again")
[ "$before" = "$after" ] || fail "the version window moved from $before to $after"

# Closing the picker unloads it: the next one starts from black.
xdotool windowactivate --sync "$picker" 2>/dev/null || true
sleep 0.3
keys alt+F4
for _ in $(seq 30); do [ -z "$(visible "カラー表示")" ] && break; sleep 0.1; done
[ -z "$(visible "カラー表示")" ] || fail "the picker did not close"
xdotool windowactivate --sync "$main" 2>/dev/null || true
sleep 0.3
keys ctrl+w
picker=$(wait_window "カラー表示" 10)
xdotool windowactivate --sync "$picker" 2>/dev/null || true
sleep 0.3
keys Tab Tab Tab space
expect_clip "#000000"

kill -0 "$APP_PID" 2>/dev/null || fail "the program ended"
echo "color_about: ok"
