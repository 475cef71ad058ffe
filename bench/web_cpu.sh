#!/usr/bin/env bash
# CPU share of the browser build in play beside the native game's, both under
# the same virtual X server (1024x768).
#
#   bench/web_cpu.sh [SITE_DIR] [GAME_DIR] [REPEATS]
#
# SITE_DIR is the built site (default build-web/site, from scripts/web),
# GAME_DIR the native game folder (default build/game). Each figure is CPU
# time (user + system, from /proc) over 10 s after 4 s of warm-up (for the
# page, counted from when it has loaded), as a percentage of one core: for the browser, every Chromium process (browser,
# renderer, GPU and audio helpers) together; for the native game, its one
# process. The X server is shown apart. Both play the same scripted start
# (Enter on the menu) in real time; the page's sound runs through Web Audio,
# the native game's through SDL's dummy driver. Needs Xvfb, chromium and
# xdotool. WEB_CPU_SHOT=PREFIX saves a picture of the screen after each run.
set -euo pipefail

site_dir=$(cd "${1:-build-web/site}" && pwd)
game_dir=$(cd "${2:-build/game}" && pwd)
repeats=${3:-3}
warmup=4
window=10
hz=$(getconf CLK_TCK)

work=$(mktemp -d)
# shellcheck source=bench/xvfb.sh
source "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"
run_pid=""
server_pid=""
cleanup() {
  local pid
  for pid in "$run_pid" "$server_pid" "$xvfb_pid"; do
    if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  done
  rm -rf "$work"
}
trap cleanup EXIT

mkdir "$work/site" "$work/native"
for f in "$site_dir"/*; do ln -s "$f" "$work/site/"; done
ln -s "$game_dir/data" "$work/native/data"
ln -s "$game_dir/sound" "$work/native/sound"
# Enter on the main menu starts a game; the menu opens on "play".
printf '20 key down Enter\n21 key up Enter\n' >"$work/site/play.txt"
cp "$work/site/play.txt" "$work/native/play.txt"

# The site on a loopback port.
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server --bind 127.0.0.1 --directory "$work/site" "$port" >/dev/null 2>"$work/server.log" &
server_pid=$!
for _ in $(seq 50); do
  python3 -c "import urllib.request; urllib.request.urlopen('http://127.0.0.1:$port/index.html')" \
    2>/dev/null && break
  sleep 0.1
done

# A process and all its descendants.
tree() {
  local pids=("$1") i=0
  while [ "$i" -lt "${#pids[@]}" ]; do
    local child
    # shellcheck disable=SC2013 # the files hold blank-separated ids
    for child in $(cat /proc/"${pids[$i]}"/task/*/children 2>/dev/null); do
      pids+=("$child")
    done
    i=$((i + 1))
  done
  echo "${pids[@]}"
}

cpu_ticks() { # utime + stime summed over processes, in clock ticks
  local pid total=0 t
  for pid in "$@"; do
    t=$(awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$pid/stat" 2>/dev/null) || continue
    total=$((total + t))
  done
  echo "$total"
}

# "PID KIND TICKS" for each process; KIND is Chromium's --type (renderer,
# gpu-process, utility...) or "main".
snapshot() {
  local pid t kind
  for pid in "$@"; do
    t=$(awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$pid/stat" 2>/dev/null) || continue
    # Chromium rewrites its helpers' command lines into one string.
    kind=$(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -o -- '--type=[a-z-]*' |
      head -n 1) || true
    kind=${kind#--type=}
    echo "$pid ${kind:-main} $t"
  done
}

# The share of each kind of process between two snapshots (files).
kinds() {
  awk -v hz="$hz" -v w="$window" 'NR == FNR { before[$1] = $3; next }
    ($1 in before) { used[$2] += $3 - before[$1] }
    END { for (k in used) printf " %s %.1f", k, used[k] * 100 / hz / w }' "$1" "$2"
}

share() { # ticks before, after
  awk -v a="$2" -v b="$1" -v hz="$hz" -v w="$window" 'BEGIN { printf "%.1f", (a - b) * 100 / hz / w }'
}

# Starts the run in the background, waits until it is ready, measures it
# and the X server; prints "RUN X", then each kind of process and its share.
measure() { # ready-function run-function
  start_x 1024x768
  "$2" >/dev/null 2>&1 &
  run_pid=$!
  "$1"
  sleep "$warmup"
  local pids before after x_before x_after
  pids=$(tree "$run_pid")
  # shellcheck disable=SC2086
  snapshot $pids >"$work/before"
  x_before=$(cpu_ticks "$xvfb_pid")
  sleep "$window"
  # shellcheck disable=SC2086
  snapshot $pids >"$work/after"
  x_after=$(cpu_ticks "$xvfb_pid")
  before=$(awk '{ t += $3 } END { print t + 0 }' "$work/before")
  # Only what was there at both ends counts.
  after=$(awk 'NR == FNR { seen[$1] = 1; next } ($1 in seen) { t += $3 } END { print t + 0 }' \
    "$work/before" "$work/after")
  before=$(awk 'NR == FNR { seen[$1] = 1; next } ($1 in seen) { t += $3 } END { print t + 0 }' \
    "$work/after" "$work/before")
  # What was measured, to look at (ImageMagick's import).
  if [ -n "${WEB_CPU_SHOT:-}" ]; then
    import -window root "$WEB_CPU_SHOT-$2.png" 2>/dev/null || true
  fi
  kill -- "$run_pid" 2>/dev/null || true
  wait "$run_pid" 2>/dev/null || true
  run_pid=""
  # Chromium's helpers go with the browser; wait until they have.
  for _ in $(seq 50); do
    local alive=0 pid
    for pid in $pids; do
      # Orphaned helpers may linger as zombies nobody reaps: gone enough.
      if awk '{ sub(/^.*\) /, ""); exit $1 == "Z" }' "/proc/$pid/stat" 2>/dev/null; then
        alive=1
      fi
    done
    [ "$alive" = 0 ] && break
    sleep 0.1
  done
  stop_x
  echo "$(share "$before" "$after") $(share "$x_before" "$x_after")$(kinds "$work/before" "$work/after")"
}

# Chromium takes seconds to start and load the page on a busy machine: the
# warm-up starts once the page fetched its packaged files. Then the player's
# click takes the "click to start" overlay away.
page_loaded() {
  for _ in $(seq 600); do
    grep -q "GET /brinehold.data" "$work/server.log" && break
    sleep 0.1
  done
  sleep 1
  xdotool mousemove 512 384 click 1
}

browser() {
  rm -rf "$work/profile"
  : >"$work/server.log"
  exec chromium --no-sandbox --test-type --user-data-dir="$work/profile" --no-first-run \
    --no-default-browser-check --lang=ru --window-position=0,0 \
    --window-size=1024,768 --autoplay-policy=no-user-gesture-required \
    --app="http://127.0.0.1:$port/index.html?file=play.txt&args=--seed+1+--script+/game/play.txt"
}

native() {
  rm -f "$work/native/config.dat"
  SDL_AUDIODRIVER=dummy exec "$game_dir/brinehold" --workdir "$work/native" --seed 1 \
    --ticks 100000 --windowed --script play.txt
}

started() { :; }

row() { # name ready-function run-function
  local runs=() xs=() figures parts=()
  for _ in $(seq "$repeats"); do
    read -r -a figures <<<"$(measure "$2" "$3")"
    runs+=("${figures[0]}")
    xs+=("${figures[1]}")
    parts+=("${figures[*]:2}")
  done
  printf '%-30s %-20s X server %s %%\n' "$1" "${runs[*]} %" "${xs[*]}"
  local part
  for part in "${parts[@]}"; do
    printf '%-30s %s\n' "" "$part"
  done
}

echo "CPU in play under Xvfb 1024x768, % of one core, $repeats runs each" \
  "(load: $(cut -d' ' -f1-3 /proc/loadavg))"
row "browser (all Chromium)" page_loaded browser
row "native game" started native
