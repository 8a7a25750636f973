#!/usr/bin/env bash
# Japanese typed through a real input method (ibus with Mozc), as users type it: a clean file
# stays clean through focus changes and a cancelled composition; `nihongo`, space, Return gives
# 日本語 in the saved bytes; a composition at the end of a one-line page is drawn with its
# underline, and one over a selection replaces it; in a long line (a minified page) one is drawn
# with its underline, and one committed at its end is saved and stays in view.
# Mozc refuses to run as root: when run as root, the input method and the program run as
# `nobody` with a private home, runtime folder and D-Bus session.
source "${E2E_LIB:-$(dirname "$0")/lib.sh}" "$@"
unset XMODIFIERS QT_IM_MODULE GTK_IM_MODULE  # the window manager starts without an input method

for tool in ibus-daemon ibus setxkbmap dbus-launch gsettings /usr/lib/mozc/mozc_server /usr/lib/ibus-mozc/ibus-engine-mozc; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (scripts/deps.sh installs the input method)"; exit 0; }
done
locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$' || { echo "SKIP: no ja_JP.UTF-8 locale (scripts/deps.sh generates it)"; exit 0; }

# The user's own folders. The program is copied there, so that the user can run it whatever
# folder the build is in.
IM=$E2E_DIR/im
chmod 711 "$E2E_DIR"
mkdir -p "$IM/home/.config/mozc" "$IM/run" "$IM/work" "$IM/tavro/bin" "$IM/tavro/share"
cp "$TAVRO_BIN" "$IM/tavro/bin/"
[ -d "$(dirname "$TAVRO_BIN")/../share/tavro" ] && cp -r "$(dirname "$TAVRO_BIN")/../share/tavro" "$IM/tavro/share/"
# The whole engine entry (without it ibus finds no mozc-jp engine and keys pass through as
# ASCII), and Mozc starting in hiragana.
cat >"$IM/home/.config/mozc/ibus_config.textproto" <<'EOF'
engines {
  name: "mozc-jp"
  longname: "Mozc"
  layout: "default"
  layout_variant: ""
  layout_option: ""
  rank: 80
}
active_on_launch: True
EOF
chmod 700 "$IM/run"
if [ "$(id -u)" -eq 0 ]; then
  IM_UID=$(id -u nobody); IM_GID=$(id -g nobody)
  chown -R "$IM_UID:$IM_GID" "$IM"
fi
WORK=$IM/work
APP=$IM/tavro/bin/tavro

# Runs a command as the user, in the user's environment only.
as_user() {
  local envs=(HOME="$IM/home" XDG_CONFIG_HOME="$IM/home/.config" XDG_RUNTIME_DIR="$IM/run"
              PATH=/usr/local/bin:/usr/bin:/bin DISPLAY="$DISPLAY" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
              GSETTINGS_BACKEND=dconf ${DBUS_SESSION_BUS_ADDRESS:+DBUS_SESSION_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS"})
  local as=()
  [ -n "${IM_UID:-}" ] && as=(setpriv --reuid="$IM_UID" --regid="$IM_GID" --clear-groups)
  ${AS_USER_EXEC:+exec} "${as[@]}" env -i "${envs[@]}" "$@"
}

# The processes the input method started for this user (Mozc's server outlives its engine).
end_user_processes() {
  local p
  for p in $(pgrep -u "${IM_UID:-$(id -u)}" 2>/dev/null || true); do
    { tr '\0' '\n' <"/proc/$p/environ"; } 2>/dev/null | grep -qx "HOME=$IM/home" && kill "$p" 2>/dev/null || true
  done
}
trap 'end_user_processes; e2e_cleanup' EXIT

e2e_start_x
setxkbmap -model jp106 -layout jp || fail "setxkbmap failed"
eval "$(as_user dbus-launch --sh-syntax)"
_pids+=("$DBUS_SESSION_BUS_PID")
as_user gsettings set org.freedesktop.ibus.general use-system-keyboard-layout true
as_user gsettings set org.freedesktop.ibus.general preload-engines "['mozc-jp']"
AS_USER_EXEC=1 as_user ibus-daemon --xim --replace --panel=disable --emoji-extension=disable >"$E2E_DIR/ibus.log" 2>&1 &
_pids+=($!)
engine=
for _ in $(seq 100); do
  as_user ibus engine mozc-jp >/dev/null 2>&1 && engine=$(as_user ibus engine 2>/dev/null || true)
  [ "$engine" = mozc-jp ] && break
  sleep 0.2
done
[ "$engine" = mozc-jp ] || fail "set-up failed: ibus did not take the mozc-jp engine (engines: $(as_user ibus list-engine 2>&1 | tr '\n' ' ' | cut -c1-300))"
echo "input method: $(as_user ibus version), ibus-mozc $(dpkg-query -W -f='${Version}' ibus-mozc 2>/dev/null || echo '?')"

# The program as the user, with the input method; a kill leaves recovery data, which would make
# the next start ask: it is cleared before every start.
start_im() {
  rm -rf "$IM/home/.local/state/tavro"
  (cd "$WORK" && AS_USER_EXEC=1 as_user QT_IM_MODULE=ibus XMODIFIERS=@im=ibus QTWEBENGINE_DISABLE_SANDBOX=1 "$APP" "$@") \
    >"$E2E_DIR/app.log" 2>&1 & APP_PID=$!
  _pids+=($APP_PID)
}
stop_im() { kill "$APP_PID" 2>/dev/null || true; wait "$APP_PID" 2>/dev/null || true; sleep 0.5; }
# Waits for the main window titled "Tavro - $1", with or without the star; its id is in $win.
# A question on the way (the program thought the empty document changed) is a problem, answered
# No so that the rest can be tried.
wait_main() {
  local t
  for _ in $(seq 400); do
    t=$(titles)
    case "|$t" in *"|Tavro|"*) problem "tavro $1 asked a question before opening the page"; answer alt+n ;; esac
    win=$(xdotool search --onlyvisible --name "^Tavro - $1( \\*)?\$" 2>/dev/null | head -n1 || true)
    [ -n "$win" ] && return 0
    sleep 0.1
  done
  fail "no main window for $1 (windows: $(titles))"
}

# What the editor got wrong; told only once the input method is known to work.
problems=()
problem() { problems+=("$*"); }
# The title of the main window after a moment, the window found by its name $1 (any star).
title_now() { sleep "${2:-1}"; xdotool search --onlyvisible --name "^Tavro - $1( \\*)?\$" getwindowname 2>/dev/null | head -n1 || true; }
# The first line of the main window's text area, as a picture.
pane_shot() { import -window "$win" -crop "$((PANE_W))x$((PANE_H))+4+$((MENUBAR_HEIGHT + 32))" +repage "$1" 2>/dev/null; }
# Rows of $2 minus $1 (both pane shots) that an underline below a composition changed: at least
# 40 pixels across, at least half of them changed (input methods draw it solid or dashed), gaps of
# at most 3 pixels. Glyphs alone change no such row.
underlined() {
  convert "$1" "$2" -compose difference -composite -colorspace gray -threshold 25% -depth 8 txt:- 2>/dev/null \
    | awk -F'[,: ]+' 'NR > 1 { x = $1; y = $2; on = ($0 ~ /#FFFFFF|white|gray\(255\)/)
        if (y != ly) { start = -1; last = -100; n = 0; ly = y }
        if (on) { if (x - last > 4) { start = x; n = 0 }; n++; last = x
                  if (x - start + 1 >= 40 && 2 * n >= x - start + 1) rows[y] = 1 } }
        END { n = 0; for (r in rows) n++; print n }'
}
# How many pixels differ between two pane shots.
changed() { compare -metric AE -fuzz 20% "$1" "$2" null: 2>&1 | cut -d' ' -f1 || true; }
SHOTS=${E2E_SHOTS:-$E2E_DIR}

# --- A clean one-line page: started with the input method running, no question, no star.
LINE='<meta charset="utf-8"><p>x</p>'
printf '%s' "$LINE" >"$WORK/page.html"  # no final line break: saves keep it so
chown "${IM_UID:-$(id -u)}:${IM_GID:-$(id -g)}" "$WORK/page.html"
start_im page.html
wait_main page.html
measure_menubar "$win"
PANE_W=600; PANE_H=22  # the first line only: the candidate window sits below it
xdotool windowactivate --sync "$win" 2>/dev/null || true
[ "$(title_now page.html 1.5)" = "Tavro - page.html" ] || problem "a clean page shows '$(title_now page.html 0)' after its start"

# Focus away (another program's window) and back, twice.
for _ in 1 2; do
  AS_USER_EXEC=1 as_user xmessage -name other "other window" & other=$!
  sleep 1.2
  xdotool search --onlyvisible --name '^other$' windowactivate --sync 2>/dev/null || true
  sleep 0.5
  kill "$other" 2>/dev/null || true; wait "$other" 2>/dev/null || true
  xdotool windowactivate --sync "$win" 2>/dev/null || true
done
[ "$(title_now page.html)" = "Tavro - page.html" ] || problem "focus changes made a clean page '$(title_now page.html 0)'"

# A composition cancelled with Esc inserts nothing.
keys ctrl+End
type_text "ka"; keys Escape Escape
[ "$(title_now page.html)" = "Tavro - page.html" ] || problem "a cancelled composition made a clean page '$(title_now page.html 0)'"

# nihongo, space, Return at the end of the one-line page (its last line); the composition is
# drawn with its underline before it is committed.
pane_shot "$E2E_DIR/before.png"
type_text "nihongo"; sleep 0.5
pane_shot "$E2E_DIR/preedit.png"
keys space; sleep 0.5
shot "$SHOTS/ime-last-line.png"
keys Return; sleep 0.3
keys ctrl+s; sleep 1
got=$(cat "$WORK/page.html"; echo .); got=${got%.}
if [[ $got == *nihongo* ]]; then
  fail "set-up failed: the keys arrived as ASCII ('$got'): the input method is not running; the editor was not tested"
fi
[ "$got" = "${LINE}日本語" ] || problem "nihongo, space, Return saved '$got', expected '${LINE}日本語'"
[ "$(title_now page.html)" = "Tavro - page.html" ] || problem "after the save the title is '$(title_now page.html 0)'"
[ "$(underlined "$E2E_DIR/before.png" "$E2E_DIR/preedit.png")" -gt 0 ] \
  || problem "the composition on the last line is drawn without its underline (see $SHOTS/ime-last-line.png)"

# Over a selection: the selected word is replaced by the committed text.
keys ctrl+End shift+Left shift+Left shift+Left
type_text "nihongo"; keys space; sleep 0.3; keys Return; sleep 0.3
keys ctrl+s; sleep 1
got=$(cat "$WORK/page.html"; echo .); got=${got%.}
[ "$got" = "${LINE}日本語" ] || problem "a composition over a selection saved '$got', expected '${LINE}日本語'"
stop_im

# --- A long one-line page (a minified page of 40,000 characters): the composition at its end is
# drawn, and committed.
LONG='<meta charset="utf-8">'$(printf '<p>%05d</p>' $(seq 1 4000))
printf '%s' "$LONG" >"$WORK/long.html"
chown "${IM_UID:-$(id -u)}:${IM_GID:-$(id -g)}" "$WORK/long.html"
start_im long.html
wait_main long.html
xdotool windowactivate --sync "$win" 2>/dev/null || true
sleep 1
[ "$(title_now long.html)" = "Tavro - long.html" ] || problem "a clean long page shows '$(title_now long.html 0)' after its start"
# At the line's start (the view does not move): the composition is drawn with its underline, and
# its cancel leaves the page clean.
keys ctrl+Home; sleep 0.5
pane_shot "$E2E_DIR/long-before.png"
type_text "nihongo"; sleep 0.8
pane_shot "$E2E_DIR/long-preedit.png"
[ "$(underlined "$E2E_DIR/long-before.png" "$E2E_DIR/long-preedit.png")" -gt 0 ] \
  || problem "the composition in a long line is not drawn with its underline (see $E2E_DIR/long-preedit.png)"
keys Escape Escape; sleep 0.5
[ "$(title_now long.html)" = "Tavro - long.html" ] || problem "a cancelled composition made a clean long page '$(title_now long.html 0)'"
# At its end, converted and committed.
keys ctrl+End; sleep 0.5
type_text "nihongo"; sleep 0.5; keys space; sleep 0.8
shot "$SHOTS/ime-long-line.png"
# With the caret in sight after the commit, End (the caret is at the end) scrolls nothing: only
# the caret's blink may differ.
keys Return; sleep 0.5
pane_shot "$E2E_DIR/long-after.png"
keys End; sleep 0.5
pane_shot "$E2E_DIR/long-end.png"
[ "$(changed "$E2E_DIR/long-after.png" "$E2E_DIR/long-end.png")" -lt 60 ] \
  || problem "after a commit at the end of a long line the committed text is not in view"
keys ctrl+s; sleep 1.5
got=$(cat "$WORK/long.html"; echo .); got=${got%.}
[ "$got" = "${LONG}日本語" ] || problem "the long line saved ...'${got: -30}', expected ...'${LONG: -24}日本語'"
stop_im

if [ ${#problems[@]} -gt 0 ]; then
  touch "$E2E_DIR/.keep"
  printf 'FAIL: %s\n' "${problems[@]}" >&2
  echo "pictures: $E2E_DIR" >&2
  exit 1
fi
echo "input method: ok"
