#!/usr/bin/env bash
# Find through the real window: Ctrl+F opens the bar, a typed word is found with Enter, Esc
# gives the text its focus back with the word selected, and Ctrl+C puts it on the X clipboard.
# Then a page shown in colour, and the bar, are kept as screenshots for a person to look at.
source "${E2E_LIB:-$(dirname "$0")/lib.sh}" "$@"

page="$E2E_DIR/work/page.html"
printf '<!DOCTYPE html>\r\n<html lang="ja">\r\n<head>\r\n<title>見本</title>\r\n<style>\r\np > a { color: red }\r\n</style>\r\n</head>\r\n<body>\r\n<!-- 見出しと\r\n本文 -->\r\n<p class="note" title="a>b">日本語 &amp; English</p>\r\n<script>\r\nif (a < b) { go(); }\r\n</script>\r\n</body>\r\n</html>\r\n' > "$page"

e2e_start
win=$(wait_window "Tavro - 無題" 40)
xdotool windowactivate --sync "$win" 2>/dev/null || true
sleep 0.5

type_text "one needle two"
keys ctrl+Home
keys ctrl+f
type_text "needle"
keys Return Escape
keys ctrl+c
sleep 0.3
expect_clip "needle"
# The keys went to the bar, not the text.
[ "$(document_text)" = "one needle two" ] || fail "the text became '$(clip_out)'"

# E2E_SHOTS=folder: also a coloured page and the bar over it, as screenshots.
if [ -n "${E2E_SHOTS:-}" ]; then
  keys ctrl+o
  sleep 1; keys alt+n                     # do not save the typed text
  sleep 1.5; keys ctrl+a; type_text "$page"; keys Return
  wait_window "Tavro - page.html" 15 >/dev/null
  sleep 1
  shot "$E2E_SHOTS/coloured-page.png"
  keys ctrl+r
  type_text "English"
  keys Return
  sleep 0.5
  shot "$E2E_SHOTS/find-bar.png"
fi
echo "find: ok"
