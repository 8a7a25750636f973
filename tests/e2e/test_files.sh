#!/usr/bin/env bash
# As a user whose files are more than their bytes, root saving them: a file with two names
# (both show the new text), a file of another user (it stays theirs), a read-only file (a
# message, the file untouched), and a FIFO chosen in the open dialog (refused at once).
source "${E2E_LIB:-$(dirname "$0")/lib.sh}" "$@"
WORK=$E2E_DIR/work

# Opens $2 from main window titled $1 (no unsaved changes), types $3 at the start, saves.
open_edit_save() {
  keys ctrl+o
  dialog "$1" "$WORK/$2"
  wait_window "Tavro - $2" 15 >/dev/null
  keys ctrl+Home; type_text "$3"
  wait_window "Tavro - $2 *" 10 >/dev/null
  keys ctrl+s
}

printf 'old\r\n' >"$WORK/a.html"
ln "$WORK/a.html" "$WORK/b.html"
printf 'theirs\r\n' >"$WORK/theirs.html"
chown nobody:nogroup "$WORK/theirs.html"; chmod 0640 "$WORK/theirs.html"
printf 'locked\r\n' >"$WORK/locked.html"; chmod 0444 "$WORK/locked.html"
mkfifo "$WORK/pipe.html"

e2e_start_x
e2e_start_app
win=$(wait_window "Tavro - 無題" 40)
xdotool windowactivate --sync "$win" 2>/dev/null || true
sleep 0.5

# Two names, one file: saving through one name shows the new text under both.
inode=$(stat -c %i "$WORK/a.html")
open_edit_save "Tavro - 無題" a.html "new "
wait_window "Tavro - a.html" 10 >/dev/null
expect_bytes "$WORK/a.html" 'new old\r\n'
expect_bytes "$WORK/b.html" 'new old\r\n'
[ "$(stat -c '%i %h' "$WORK/b.html")" = "$inode 2" ] || fail "the names were parted: $(stat -c '%i %h' "$WORK/a.html" "$WORK/b.html")"

# Another user's file saved by root stays theirs, with its mode.
open_edit_save "Tavro - a.html" theirs.html "x"
wait_window "Tavro - theirs.html" 10 >/dev/null
expect_bytes "$WORK/theirs.html" 'xtheirs\r\n'
[ "$(stat -c '%U:%G %a' "$WORK/theirs.html")" = "nobody:nogroup 640" ] \
  || fail "theirs.html is now $(stat -c '%U:%G %a' "$WORK/theirs.html")"

# A read-only file: a message, and the file is neither replaced nor changed; still modified.
open_edit_save "Tavro - theirs.html" locked.html "y"
answer Return
stays "Tavro - locked.html *"
expect_bytes "$WORK/locked.html" 'locked\r\n'
[ "$(stat -c %a "$WORK/locked.html")" = 444 ] || fail "locked.html has mode $(stat -c %a "$WORK/locked.html")"
[ "$(ls -A "$WORK" | sort | tr '\n' ' ')" = "a.html b.html locked.html pipe.html theirs.html " ] \
  || fail "left in the folder: $(ls -A "$WORK")"

# A FIFO without a writer: refused with a message at once; the window goes on working.
keys ctrl+o; answer alt+n                 # do not save the changes; the open dialog follows
dialog "Tavro - locked.html *" "$WORK/pipe.html"
answer Return
stays "Tavro - locked.html *"
type_text "z"
[ -p "$WORK/pipe.html" ] || fail "pipe.html is no longer a FIFO"
echo "files: ok"
