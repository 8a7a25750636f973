#!/usr/bin/env bash
# The editor starts with the font fn.dat names; a font chosen in the dialog lasts for the run
# only: after a save, fn.dat still holds the start-up font and the next start shows it again.
source "${E2E_LIB:-$(dirname "$0")/lib.sh}" "$@"
mkdir -p "$XDG_CONFIG_HOME/tavro"
stored='"IPAGothic"\r\n20\r\n#TRUE#\r\n#FALSE#\r\n'
printf "$stored" > "$XDG_CONFIG_HOME/tavro/fn.dat"

e2e_start
win=$(wait_window "Tavro - 無題" 40)
xdotool windowactivate --sync "$win" 2>/dev/null || true
type_text "<p>日本語 font</p>"
sleep 0.5
shot "$E2E_DIR/start-font.png"

# Choose another font for this run, then save the document.
keys alt+o f
sleep 1.5
type_text "IPAMincho"
keys Return
sleep 0.5
keys ctrl+s
sleep 1.5
type_text "$E2E_DIR/work/font.htm"
keys Return
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
