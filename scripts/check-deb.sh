#!/usr/bin/env bash
# Checks the Debian package the way a user gets it: builds it, installs it with apt into a fresh
# Debian 12 root made by debootstrap, then starts the installed program from its desktop entry
# under Xvfb with a page, as "Open with Tavro" would, and opens the tag help. Needs root and
# apt's network access; takes a few minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=${ROOT:-/tmp/tavro-deb-root}
bash scripts/build.sh
(cd build && cpack -G DEB >/dev/null)
command -v debootstrap >/dev/null || apt-get install -y -qq debootstrap
[ -x "$ROOT/usr/bin/apt-get" ] || debootstrap --variant=minbase bookworm "$ROOT"
deb=$(ls build/tavro_*_amd64.deb | head -n1)
cp "$deb" "$ROOT/tmp/tavro.deb"
cp /etc/resolv.conf "$ROOT/etc/resolv.conf"
for m in proc dev sys; do mountpoint -q "$ROOT/$m" || mount --bind "/$m" "$ROOT/$m"; done
trap 'for m in proc dev sys; do umount "$ROOT/$m" 2>/dev/null || true; done' EXIT
chroot "$ROOT" apt-get update -qq
chroot "$ROOT" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq /tmp/tavro.deb
chroot "$ROOT" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
  xvfb xdotool x11-utils imagemagick openbox desktop-file-utils
cat > "$ROOT/tmp/run-installed.sh" <<'IN'
set -euo pipefail
export DISPLAY=:55 QTWEBENGINE_DISABLE_SANDBOX=1 HOME=/root XDG_RUNTIME_DIR=/tmp/rt
mkdir -p /tmp/rt; chmod 700 /tmp/rt
desktop-file-validate /usr/share/applications/tavro.desktop
Xvfb :55 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 & X=$!
sleep 1; openbox >/dev/null 2>&1 & W=$!
A=
trap 'kill $A $W $X 2>/dev/null || true' EXIT
# The first window whose name matches, within 30 s; the check fails without it.
window() {
  for _ in $(seq 60); do
    xdotool search --name "$1" 2>/dev/null | head -n1 | grep . && return 0
    sleep 0.5
  done
  echo "FAIL: no window named '$1' (program log below)" >&2; cat /tmp/tavro.log >&2; return 1
}
# "Open with Tavro": the desktop entry's Exec line with its %f given a page.
printf '<p>opened from the desktop</p>\r\n' > /tmp/handed.html
cmd=$(sed -n 's/^Exec=//p' /usr/share/applications/tavro.desktop)
cmd=${cmd//%f//tmp/handed.html}
cd /tmp && $cmd > /tmp/tavro.log 2>&1 & A=$!
main=$(window 'Tavro - handed.html')
xdotool getwindowname "$main"
# In a fresh root the window manager can die; keys would then reach no window.
kill -0 "$W" 2>/dev/null || { openbox >/dev/null 2>&1 & W=$!; sleep 1; }
sleep 1; xdotool windowactivate --sync "$main" key ctrl+t
window '^Help$' >/dev/null
echo "help window open"
xdotool key End; sleep 1
import -window root /tmp/installed.png
IN
chroot "$ROOT" bash /tmp/run-installed.sh
cp "$ROOT/tmp/installed.png" build/installed.png
echo "screenshot of the installed program: build/installed.png"
