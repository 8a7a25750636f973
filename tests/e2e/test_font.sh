#!/usr/bin/env bash
# The editor starts with the font fn.dat names; a font chosen in the dialog lasts for the run
# only: after a save, fn.dat still holds the start-up font and the next start shows it again.
source "${E2E_LIB:-$(dirname "$0")/lib.sh}" "$@"
mkdir -p "$XDG_CONFIG_HOME/tavro"
e2e_start_x

# The font dialog starts at the pane's font: its face and size fields, copied with the keys.
# (Bold and italic are boxes the keys cannot read; tst_fontsettings reads them.)
# copy_field PREVIOUS: the focused field's text, once the clipboard holds something else.
copy_field() {
  local got
  keys ctrl+a ctrl+c
  for _ in $(seq 30); do got=$(clip_out); [ -n "$got" ] && [ "$got" != "$1" ] && break; sleep 0.1; done
  echo "$got"
}
# dialog_starts_at FN_DAT FACE SIZE
dialog_starts_at() {
  printf "$1" > "$XDG_CONFIG_HOME/tavro/fn.dat"
  e2e_start_app
  local w; w=$(wait_window "Tavro - 無題" 40)
  xdotool windowactivate --sync "$w" 2>/dev/null || true
  keys alt+o f
  wait_window "フォントの選択" 10 >/dev/null
  sleep 0.5
  local face; face=$(copy_field "")
  keys alt+s
  local size; size=$(copy_field "$face")
  [ "$face,$size" = "$2,$3" ] || fail "the font dialog starts at $face, $size; expected $2, $3"
  keys Escape
  kill "$APP_PID"; wait "$APP_PID" 2>/dev/null || true
}
design='"\x82\x6c\x82\x72 \x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e"'   # ＭＳ Ｐゴシック
dialog_starts_at "$design\r\n12\r\n#FALSE#\r\n#FALSE#\r\n" IPAPGothic 12
dialog_starts_at "$design\r\n10.5\r\n#TRUE#\r\n#FALSE#\r\n" IPAPGothic 10.5
dialog_starts_at '"IPAMincho"\r\n9\r\n#FALSE#\r\n#TRUE#\r\n' IPAMincho 9

stored='"IPAGothic"\r\n20\r\n#TRUE#\r\n#FALSE#\r\n'
printf "$stored" > "$XDG_CONFIG_HOME/tavro/fn.dat"
e2e_start_app
win=$(wait_window "Tavro - 無題" 40)
xdotool windowactivate --sync "$win" 2>/dev/null || true
type_text "<p>日本語 font</p>"
sleep 0.5
shot "$E2E_DIR/start-font.png"

# Choose another font for this run, then save the document.
keys alt+o f
wait_window "フォントの選択" 10 >/dev/null
sleep 0.5
type_text "IPAMincho"
keys Return
for _ in $(seq 50); do [ "$(active_title)" = "Tavro - 無題 *" ] && break; sleep 0.1; done
keys ctrl+s
dialog "Tavro - 無題 *" "$E2E_DIR/work/font.htm"
wait_window "Tavro - font.htm" 15 >/dev/null
expect_bytes "$XDG_CONFIG_HOME/tavro/fn.dat" "$stored"
[ -f "$E2E_DIR/work/font.html" ] || fail "the document was not saved"
[ ! -f "$E2E_DIR/work/fn.dat" ] || fail "fn.dat was written into the document folder"

# Exit and start again: the stored font is back.
keys alt+f x
for _ in $(seq 50); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$APP_PID" 2>/dev/null && fail "the program did not end after Exit"
e2e_start_app
win=$(wait_window "Tavro - 無題" 40)
xdotool windowactivate --sync "$win" 2>/dev/null || true
expect_bytes "$XDG_CONFIG_HOME/tavro/fn.dat" "$stored"
[ -n "${E2E_SHOTS:-}" ] && cp "$E2E_DIR/start-font.png" "$E2E_SHOTS/"
echo "font: ok"
