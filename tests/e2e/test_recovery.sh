#!/usr/bin/env bash
# Work survives the world changing: the program killed with unsaved text offers it back at the
# next start; a file another program rewrote is not overwritten without a question, and is
# offered for reloading when the window is activated with no unsaved changes.
source "${E2E_LIB:-$(dirname "$0")/lib.sh}" "$@"
WORK=$E2E_DIR/work
STATE=$HOME/.local/state/tavro

e2e_start_x

# --- Killed with unsaved text: the next start offers it back, as a modified document.
start
type_text "<p>unsaved 1</p>"
wait_window "Tavro - 無題 *" 10 >/dev/null
sleep 3                                     # typing paused: the text is kept
ls "$STATE"/*.recovery >/dev/null 2>&1 || fail "no recovery file in $STATE"
kill -9 "$APP_PID"; wait "$APP_PID" 2>/dev/null || true
e2e_start_app
answer Return                               # Yes, the default: restore
win=$(wait_window "Tavro - 無題 *" 40)
xdotool windowactivate --sync "$win" 2>/dev/null || true
keys ctrl+s; dialog "Tavro - 無題 *" "$WORK/restored.html"
wait_window "Tavro - restored.html" 15 >/dev/null
expect_bytes "$WORK/restored.html" '<p>unsaved 1</p>\r\n'
[ -z "$(ls "$STATE"/*.recovery 2>/dev/null)" ] || fail "a saved document left its recovery file"

# --- Another program rewrites the file; an edit and Ctrl+S ask, and the default keeps theirs.
printf 'theirs\r\n' >"$WORK/restored.html"
sleep 0.3
keys End; type_text "x"
wait_window "Tavro - restored.html *" 10 >/dev/null
keys ctrl+s; answer Return                  # No, the default
stays "Tavro - restored.html *"
expect_bytes "$WORK/restored.html" 'theirs\r\n'
keys ctrl+s; answer alt+y                   # Yes: overwrite
wait_window "Tavro - restored.html" 10 >/dev/null
expect_bytes "$WORK/restored.html" '<p>unsaved 1</p>x\r\n'

# --- No unsaved changes: the new version is offered when the window is activated again.
printf 'newer\r\n' >"$WORK/restored.html"
keys ctrl+w                                 # the picker takes the focus, then back
wait_window "カラー表示" 10 >/dev/null
xdotool windowactivate --sync "$win" 2>/dev/null || true
answer Return                               # Yes: reload
sleep 0.5
[ "$(document_text)" = "newer" ] || fail "the reloaded text is '$(document_text)'"
stays "Tavro - restored.html"

# --- A normal end leaves no recovery file behind.
type_text "y"; sleep 3
keys alt+f x; answer alt+n
wait_end
[ -z "$(ls "$STATE"/*.recovery 2>/dev/null)" ] || fail "a normal end left a recovery file"
echo "recovery: ok"
