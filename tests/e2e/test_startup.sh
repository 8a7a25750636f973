#!/usr/bin/env bash
# The program starts with its splash, opens "Tavro - 無題", and a typed character adds the star.
# The hand-over: the main window is mapped once, while the splash is still on the screen.
source "${E2E_LIB:-$(dirname "$0")/lib.sh}" "$@"
e2e_start_x
# Every top-level window (in its window manager frame) mapped and unmapped, in order.
xev -root -event substructure >"$E2E_DIR/xev.log" 2>&1 & _pids+=($!)
sleep 0.3
e2e_start_app
win=$(wait_window "Tavro - 無題" 40)
sleep 1
maps=$(grep -oE '^(MapNotify|UnmapNotify)' "$E2E_DIR/xev.log" | tr '\n' ' ')
# Splash, main window, then the splash's own unmap and its frame's.
[ "$maps" = "MapNotify MapNotify UnmapNotify UnmapNotify " ] || fail "start-up mapped: $maps"
xdotool windowactivate --sync "$win" 2>/dev/null || true
sleep 0.5
type_text "a"
wait_window "Tavro - 無題 *" 10 >/dev/null

# An fn.dat that cannot be used (a folder): its message stands above the splash, which stays on
# top of everything, and start-up goes on after OK.
kill "$APP_PID"; wait "$APP_PID" 2>/dev/null || true
rm -rf "$XDG_CONFIG_HOME/tavro"; mkdir -p "$XDG_CONFIG_HOME/tavro/fn.dat/blocked"
e2e_start_app
box=$(wait_window "Tavro" 40)
xprop -id "$box" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE || fail "the message is not kept on top"
xdotool windowactivate --sync "$box" 2>/dev/null || true
keys Return
wait_window "Tavro - 無題" 40 >/dev/null
echo "startup: ok"
