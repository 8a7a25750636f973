#!/usr/bin/env bash
# Files handed over by the desktop: "tavro FILE" opens FILE after the splash, a missing one
# gives the usual message and the untitled document; --version prints without a display.
source "${E2E_LIB:-$(dirname "$0")/lib.sh}" "$@"
WORK=$E2E_DIR/work

[[ "$("$TAVRO_BIN" --version)" =~ ^tavro\ [0-9]+\.[0-9]+$ ]] || fail "--version printed '$("$TAVRO_BIN" --version)'"
printf '<p>handed over 日本語</p>\r\n' >"$WORK/page.html"

e2e_start_x
e2e_start_app page.html                     # relative to the folder it was started in
win=$(wait_window "Tavro - page.html" 40)
xdotool windowactivate --sync "$win" 2>/dev/null || true
sleep 0.5
[ "$(document_text)" = "<p>handed over 日本語</p>" ] || fail "the pane holds '$(document_text)'"
keys alt+f x
wait_end

e2e_start_app "$WORK/missing.html"
answer Return                               # 「…missing.html」を開けませんでした。
wait_window "Tavro - 無題" 20 >/dev/null
echo "handover: ok"
