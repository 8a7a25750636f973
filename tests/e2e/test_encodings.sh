#!/usr/bin/env bash
# As a user: pages in EUC-JP, ISO-2022-JP, UTF-16LE, Shift_JIS and code page 932 (with NEC and IBM double
# spellings) opened through the open dialog show their Japanese text, and Ctrl+S without an
# edit writes the same bytes, LF or CR LF line ends included; a typed character gets the
# standard code. The ISO-2022-JP and UTF-16 pages are converted with iconv, which leaves their
# declarations (Shift_JIS, UTF-8) contradicting their bytes: the bytes decide.
source "${E2E_LIB:-$(dirname "$0")/lib.sh}" "$@"
WORK=$E2E_DIR/work
PAGES=$(dirname "$(readlink -f "$0")")/../data/pages

# Waits for the open dialog over the main window and types a path into it.
open_file() {
  local main=$1 path=$2 t
  keys ctrl+o
  for _ in $(seq 100); do
    t=$(active_title)
    [ -n "$t" ] && [ "$t" != "$main" ] && break
    sleep 0.1
  done
  [ "$t" != "$main" ] || fail "no open dialog appeared over '$main'"
  sleep 0.4
  keys ctrl+a; type_text "$path"; keys Return
}

# Saves with Ctrl+S and waits for the save to replace the file, which must then hold the
# bytes of the second file.
save_same() {
  local before; before=$(stat -c '%i %y' "$1")
  keys ctrl+s
  for _ in $(seq 50); do
    [ "$(stat -c '%i %y' "$1")" != "$before" ] && cmp -s "$1" "$2" && return 0
    sleep 0.2
  done
  [ "$(stat -c '%i %y' "$1")" != "$before" ] || fail "Ctrl+S did not save $1"
  fail "$1 changed on an unedited save: $(cmp "$1" "$2" 2>&1 | head -n1)"
}

expect_text() {
  local text
  for _ in $(seq 5); do
    text=$(document_text)
    [[ "$text" == *"$1"* ]] && return 0
    sleep 0.5
  done
  fail "the pane does not show '$1'"
}

cp "$PAGES/rbe-euc-jp.html" "$WORK/euc.html"
iconv -f CP932 -t ISO-2022-JP "$PAGES/rbe-shift_jis.html" >"$WORK/iso.html"
grep -q 'charset="Shift_JIS"' "$WORK/iso.html" || fail "iconv changed the declaration"
sed 's/$/\r/' "$PAGES/python-shift_jis.txt" >"$WORK/sjis.txt"
iconv -f UTF-8 -t UTF-16LE "$PAGES/rbe-utf-8.html" | { printf '\xff\xfe'; cat; } >"$WORK/utf16.html"
# ≒ as NEC row 13 and as JIS, 纊 as NEC-selected IBM and as IBM extension, ∵ in all three.
printf '<p>\x87\x90\x81\xe0 \xed\x40\xfa\x5c \x87\x9a\xfa\x5b\x81\xe6</p>\r\n' >"$WORK/cp932.html"
cp "$WORK/cp932.html" "$WORK/cp932.orig"
for f in euc.html iso.html sjis.txt utf16.html; do cp "$WORK/$f" "$WORK/$f.orig"; done

e2e_start
main=$(wait_window "Tavro - 無題" 40)
xdotool windowactivate --sync "$main" 2>/dev/null || true
sleep 0.5

open_file "Tavro - 無題" "$WORK/euc.html"
wait_window "Tavro - euc.html" 15 >/dev/null
expect_text "変数束縛"
save_same "$WORK/euc.html" "$WORK/euc.html.orig"

open_file "Tavro - euc.html" "$WORK/iso.html"
wait_window "Tavro - iso.html" 15 >/dev/null
expect_text "型安全性"
save_same "$WORK/iso.html" "$WORK/iso.html.orig"

open_file "Tavro - iso.html" "$WORK/sjis.txt"
wait_window "Tavro - sjis.txt" 15 >/dev/null
expect_text "開発者の Guido van Rossum"
save_same "$WORK/sjis.txt" "$WORK/sjis.txt.orig"

open_file "Tavro - sjis.txt" "$WORK/utf16.html"
wait_window "Tavro - utf16.html" 15 >/dev/null
expect_text "変数束縛"
save_same "$WORK/utf16.html" "$WORK/utf16.html.orig"

open_file "Tavro - utf16.html" "$WORK/cp932.html"
wait_window "Tavro - cp932.html" 15 >/dev/null
expect_text "≒≒ 纊纊 ∵∵∵"
save_same "$WORK/cp932.html" "$WORK/cp932.orig"
# A ≒ put in at the start (pasted: typing it through xdotool is unreliable) gets the standard
# code; the file's own spellings stay where they are.
clip_in '≒'
keys ctrl+Home ctrl+v
wait_window "Tavro - cp932.html *" 10 >/dev/null
keys ctrl+s
wait_window "Tavro - cp932.html" 10 >/dev/null
expect_bytes "$WORK/cp932.html" '\x81\xe0<p>\x87\x90\x81\xe0 \xed\x40\xfa\x5c \x87\x9a\xfa\x5b\x81\xe6</p>\r\n'
echo "encodings: ok"
