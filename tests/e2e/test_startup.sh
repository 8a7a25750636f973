#!/usr/bin/env bash
# The program starts with its splash, opens "Tavro - 無題", and a typed character adds the star.
source "${E2E_LIB:-$(dirname "$0")/lib.sh}" "$@"
e2e_start
win=$(wait_window "Tavro - 無題" 40)
xdotool windowactivate --sync "$win" 2>/dev/null || true
sleep 0.5
type_text "a"
wait_window "Tavro - 無題 *" 10 >/dev/null
echo "startup: ok"
