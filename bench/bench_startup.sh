#!/usr/bin/env bash
# Start-up of the real program beside the toolkit's floor (a bare Qt window with one text box,
# bench_startup_floor), each launched $RUNS times (default 5) on a display of its own with a
# window manager, medians printed side by side:
#   shown  launch -> the main window mapped (Tavro's includes its 500 ms splash)
#   late   for Tavro: how long after the splash's half second the main window came, counted
#          from the moment the splash was seen on the screen
#   key    launch -> a key typed as soon as the window is shown is echoed (the caption's " *")
#   PSS    all the program's processes together, 4 s after launch (shared pages divided among
#          the processes that map them, other programs' too), and their RSS beside it
# then, for each Tavro: the run's first F5 of a small page (the engine started by it) to the
# page on the screen, and a 39 MB page named on the command line: launch -> its caption, CPU
# time, and the peak RSS of the program's processes by then and after a keystroke has been
# kept for recovery.
# Run by hand: bench/bench_startup.sh build/bin/tavro [another/build/bin/tavro ...]
# Another Tavro (an older build, say) is measured in the same run, beside the first.
# Needs Xvfb, openbox, xdotool, ImageMagick and python3.
set -euo pipefail
RUNS=${RUNS:-5}
[ $# -ge 1 ] || { echo "usage: $0 path/to/tavro [another/tavro ...]" >&2; exit 1; }
TAVROS=()
for t in "$@"; do TAVROS+=("$(readlink -f "$t")"); done
FLOOR=$(dirname "${TAVROS[0]}")/bench_startup_floor
[ -x "$FLOOR" ] || { echo "build bench_startup_floor first (cmake --build build --target bench_startup_floor)" >&2; exit 1; }
WORK=$(mktemp -d /tmp/tavro-bench-startup.XXXXXX)
export XDG_CONFIG_HOME=$WORK/config XDG_RUNTIME_DIR=$WORK/run HOME=$WORK/home
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$HOME" "$WORK/docs"; chmod 700 "$XDG_RUNTIME_DIR"
[ "$(id -u)" = 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
unset QT_QPA_PLATFORM
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null || true; rm -rf "$WORK"; }
trap cleanup EXIT

n=200; while [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; do n=$((n + 1)); done
export DISPLAY=:$n
Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 & pids+=($!)
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 & pids+=($!)
sleep 0.5

now() { date +%s%N; }
ms() { echo $(( ($2 - $1) / 1000000 )); }
median() { tr ' ' '\n' | grep . | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
# The process and all its descendants.
tree() { local p=$1 c; echo "$p"; for c in $(pgrep -P "$p" || true); do tree "$c"; done; }
pss_mb() { local t=0 p v; for p in $(tree "$1"); do
  v=$(awk '/^Pss:/ {print $2}' "/proc/$p/smaps_rollup" 2>/dev/null || echo 0); t=$((t + ${v:-0})); done
  echo $((t / 1024)); }
rss_mb() { local t=0 p v; for p in $(tree "$1"); do
  v=$(awk '/^VmRSS:/ {print $2}' "/proc/$p/status" 2>/dev/null || echo 0); t=$((t + ${v:-0})); done
  echo $((t / 1024)); }
count() { tree "$1" | wc -l; }
hwm_mb() { local t=0 p v; for p in $(tree "$1"); do
  v=$(awk '/^VmHWM:/ {print $2}' "/proc/$p/status" 2>/dev/null || echo 0); t=$((t + ${v:-0})); done
  echo $((t / 1024)); }
cpu_ms() { awk -v hz="$(getconf CLK_TCK)" '{print int(($14 + $15) * 1000 / hz)}' "/proc/$1/stat"; }
# The id of the visible window titled exactly $1, polled until $2 seconds have passed.
find_window() {
  local end=$(( $(now) + $2 * 1000000000 )) id
  while [ "$(now)" -lt "$end" ]; do
    id=$(xdotool search --onlyvisible --name "^$(printf '%s' "$1" | sed 's/[][\.*^$]/\\&/g')\$" 2>/dev/null | head -n1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
  done
  return 1
}
# The first visible window of process $1 (the splash), polled for up to 30 s.
find_pid_window() {
  local end=$(( $(now) + 30 * 1000000000 )) id
  while [ "$(now)" -lt "$end" ]; do
    id=$(xdotool search --onlyvisible --pid "$1" 2>/dev/null | head -n1 || true)
    [ -n "$id" ] && return 0
  done
  return 1
}
# The colour (RRGGBB) at x,y in window $1.
pixel() { import -window "$1" "$WORK/px.png" 2>/dev/null \
  && convert "$WORK/px.png" -format "%[hex:p{$2,$3}]" info: 2>/dev/null | cut -c1-6 || echo none; }
stop() { kill "$1" 2>/dev/null || true; wait "$1" 2>/dev/null || true; rm -rf "$XDG_CONFIG_HOME"/* "$HOME/.local"; }

# One launch of $1 (titled $2 when shown, $2" *" once typed into), with a splash first when $3
# is given: "shown key pss processes late rss".
launch() {
  local bin=$1 title=$2 t0 t1 t2 ts app w late=-
  t0=$(now)
  (cd "$WORK/docs" && exec "$bin") >"$WORK/app.log" 2>&1 & app=$!
  if [ -n "${3:-}" ]; then find_pid_window $app; ts=$(now); fi
  w=$(find_window "$title" 30) || { echo "$bin: no window '$title'" >&2; stop $app; return 1; }
  t1=$(now)
  [ -n "${3:-}" ] && late=$(( $(ms "$ts" "$t1") - 500 ))
  xdotool windowactivate --sync "$w" 2>/dev/null || true
  xdotool key a
  find_window "$title *" 10 >/dev/null || { echo "$bin: the key was not echoed" >&2; stop $app; return 1; }
  t2=$(now)
  sleep "$(awk -v t="$(ms "$t0" "$(now)")" 'BEGIN {s = 4 - t / 1000; print (s > 0 ? s : 0)}')"
  echo "$(ms "$t0" "$t1") $(ms "$t0" "$t2") $(pss_mb $app) $(count $app) $late $(rss_mb $app)"
  stop $app
}

# One run of the first F5 of Tavro $1 on a small red page: ms from the key to the page shown.
first_preview() {
  local bin=$1 app w t0 x y
  printf '<html><body style="background:#ff0000"><p>first</p></body></html>\r\n' >"$WORK/docs/first.html"
  (cd "$WORK/docs" && exec "$bin" first.html) >"$WORK/app.log" 2>&1 & app=$!
  w=$(find_window "Tavro - first.html" 30) || { stop $app; return 1; }
  sleep 1.5
  eval "$(xdotool getwindowgeometry --shell "$w")"
  x=$((WIDTH * 3 / 4)); y=$((HEIGHT * 3 / 4))
  xdotool windowactivate --sync "$w" 2>/dev/null || true
  t0=$(now)
  xdotool key F5
  until [ "$(pixel "$w" $x $y)" = FF0000 ]; do
    [ $(ms "$t0" "$(now)") -lt 30000 ] || { echo "first F5: no page within 30 s" >&2; stop $app; return 1; }
  done
  ms "$t0" "$(now)"
  stop $app
}

# A 39 MB page named on the command line: "caption_ms cpu_ms peak_open_mb peak_kept_mb".
big_open() {
  local bin=$1 app w t0 t1 cpu peak
  t0=$(now)
  (cd "$WORK/docs" && exec "$bin" big.html) >"$WORK/app.log" 2>&1 & app=$!
  w=$(find_window "Tavro - big.html" 120) || { stop $app; return 1; }
  t1=$(now)
  sleep 2
  cpu=$(cpu_ms $app); peak=$(hwm_mb $app)
  xdotool windowactivate --sync "$w" 2>/dev/null || true
  xdotool key End a
  sleep 5  # kept for recovery two seconds after the change, written on a worker
  echo "$(ms "$t0" "$t1") $cpu $peak $(hwm_mb $app)"
  stop $app
}

python3 - "$WORK/docs/big.html" <<'PY'
import sys
out = open(sys.argv[1], 'w', encoding='utf-8', newline='')
out.write('<!DOCTYPE html>\r\n<html lang="ja">\r\n<head>\r\n<meta charset="utf-8">\r\n<title>big</title>\r\n</head>\r\n<body>\r\n')
n = size = 0
while size < 39 * 1000 * 1000:
    line = '<p class="r%d">%d 行目：日本語の本文と ASCII text が混ざった段落です。<a href="#s%d">リンク</a></p>\r\n' % (n % 7, n, n)
    out.write(line); size += len(line.encode()); n += 1
out.write('</body>\r\n</html>\r\n')
PY

declare -A shown key pss procs lates rss
labels=(floor)
for i in "${!TAVROS[@]}"; do labels+=("tavro$i"); done
for run in $(seq "$RUNS"); do  # interleaved, so that the machine's load falls on all alike
  for label in "${labels[@]}"; do
    if [ "$label" = floor ]; then r=$(launch "$FLOOR" floor); else r=$(launch "${TAVROS[${label#tavro}]}" "Tavro - 無題" splash); fi
    read -r a b c d e f <<<"$r"
    shown[$label]+="$a "; key[$label]+="$b "; pss[$label]+="$c "; procs[$label]+="$d "; lates[$label]+="$e "
    rss[$label]+="$f "
    echo "run $run $label: shown $a ms, key echoed $b ms, PSS $c MB (RSS $f MB) in $d processes, late $e ms"
  done
done
echo
printf '%-52s %9s %9s %9s %9s %6s %8s\n' "medians of $RUNS" "shown ms" "key ms" "PSS MB" "RSS MB" "procs" "late ms"
for label in "${labels[@]}"; do
  name=$FLOOR; late=-; [ "$label" = floor ] || { name=${TAVROS[${label#tavro}]}; late=$(median <<<"${lates[$label]}"); }
  printf '%-52s %9s %9s %9s %9s %6s %8s\n' "$name" "$(median <<<"${shown[$label]}")" \
    "$(median <<<"${key[$label]}")" "$(median <<<"${pss[$label]}")" "$(median <<<"${rss[$label]}")" \
    "$(median <<<"${procs[$label]}")" "$late"
done
echo
for t in "${TAVROS[@]}"; do
  f=(); for run in $(seq "$RUNS"); do f+=("$(first_preview "$t")"); done
  echo "$t: first F5 to the page on the screen: ${f[*]} ms, median $(median <<<"${f[*]}") ms"
done
for t in "${TAVROS[@]}"; do
  o=(); c=(); p=(); k=()
  for run in 1 2 3; do
    read -r a b d e <<<"$(big_open "$t")"; o+=("$a"); c+=("$b"); p+=("$d"); k+=("$e")
  done
  echo "$t: 39 MB page: caption after $(median <<<"${o[*]}") ms, CPU $(median <<<"${c[*]}") ms," \
       "peak RSS $(median <<<"${p[*]}") MB opened, $(median <<<"${k[*]}") MB with a keystroke kept (medians of 3)"
done
