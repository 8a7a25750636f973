#!/usr/bin/env bash
# As a user: New, type, Save As page.htm (stored as page.html, shown as page.htm); the questions
# of New, Open and Exit answered Yes, No and Cancel; the close box with and without a previous
# Exit; a cancelled Save As keeps both the program and the unsaved text; "</" typed completes the
# end tag into the saved bytes.
source "${E2E_LIB:-$(dirname "$0")/lib.sh}" "$@"
WORK=$E2E_DIR/work
SKELETON='<html>\r\n<head>\r\n<title>\r\n\r\n</title>\r\n</head>\r\n<body>\r\n\r\n\r\n\r\n</body>\r\n</html>\r\n'

e2e_start_x

# --- First run: New, Save As page.htm, Exit and the close box.
start
type_text "x"
wait_window "Tavro - 無題 *" 10 >/dev/null
keys ctrl+n; answer Escape              # New, Cancel: nothing changes
stays "Tavro - 無題 *"
keys ctrl+n; answer alt+n               # New, No: the skeleton, unmodified
wait_window "Tavro - 無題" 10 >/dev/null
keys ctrl+n                             # unmodified: no question
stays "Tavro - 無題"
keys ctrl+Home; type_text '<!DOCTYPE html>'; keys Return
wait_window "Tavro - 無題 *" 10 >/dev/null
keys alt+f a
dialog "Tavro - 無題 *" "$WORK/page.htm"
wait_window "Tavro - page.htm" 15 >/dev/null
expect_bytes "$WORK/page.html" "<!DOCTYPE html>\r\n$SKELETON"
[ ! -e "$WORK/page.htm" ] || fail "page.htm was written"

keys ctrl+End; type_text '<!-- more -->'
wait_window "Tavro - page.htm *" 10 >/dev/null
keys alt+F4                             # close box, no Exit under way: silently refused
stays "Tavro - page.htm *"
keys alt+f x; answer Escape             # Exit, Cancel: the window stays
stays "Tavro - page.htm *"
keys alt+F4; answer Escape              # now the close box asks as Exit does
stays "Tavro - page.htm *"
keys alt+f x; answer alt+n              # Exit, No: ends, the edit is dropped
wait_end
expect_bytes "$WORK/page.html" "<!DOCTYPE html>\r\n$SKELETON"

# --- Second run: Open with its question, New with Yes, Exit after a cancelled Save As.
printf 'other\r\n' >"$WORK/other.html"
start
keys ctrl+o                             # unmodified: straight to the open dialog
dialog "Tavro - 無題" "$WORK/page.html"
wait_window "Tavro - page.html" 15 >/dev/null
type_text "z"
wait_window "Tavro - page.html *" 10 >/dev/null
keys ctrl+o; answer Return              # Open, Yes: the save dialog even though it has a file
dialog "Tavro - page.html *"            # ... cancelled: nothing is opened
stays "Tavro - page.html *"
keys ctrl+o; answer alt+n               # Open, No: the open dialog
dialog "Tavro - page.html *" "$WORK/other.html"
wait_window "Tavro - other.html" 15 >/dev/null
expect_bytes "$WORK/page.html" "<!DOCTYPE html>\r\n$SKELETON"
type_text "q"
wait_window "Tavro - other.html *" 10 >/dev/null
keys ctrl+n; answer Return              # New, Yes: other.html is written, then the skeleton
wait_window "Tavro - 無題" 10 >/dev/null
expect_bytes "$WORK/other.html" 'qother\r\n'
printf 'no dot\r\n' >"$WORK/README"
keys ctrl+o                             # a name without a dot opens as typed
dialog "Tavro - 無題" "$WORK/README"
wait_window "Tavro - README" 15 >/dev/null
[ "$(document_text)" = "no dot" ] || fail "README shows '$(document_text)'"
keys ctrl+n
wait_window "Tavro - 無題" 10 >/dev/null

# "</" completes the end tag of the open element; an end tag typed in full stays as typed.
type_text '<ul><li>x</'
type_text '</ul><p>kept</p>'
wait_window "Tavro - 無題 *" 10 >/dev/null
keys alt+f x; answer Return             # Exit, Yes: the save dialog ...
dialog "Tavro - 無題 *"                 # ... cancelled: the program and the star stay
stays "Tavro - 無題 *"
keys alt+f x; answer Return             # asked again; Yes, a name: written, then the end
dialog "Tavro - 無題 *" "$WORK/kept.html"
wait_end
expect_bytes "$WORK/kept.html" "<ul><li>x</li></ul><p>kept</p>$SKELETON"
echo "documents: ok"
