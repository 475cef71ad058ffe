#!/usr/bin/env bash
# CPU share of the whole game process under a virtual X server, beside the
# goals, and the time from start to the first windowed frame.
#
#   bench/present_cpu.sh [GAME_DIR] [REPEATS]
#
# GAME_DIR is the built game folder (default build/game). Each figure is the
# process's own CPU time (user + system, from /proc) over 10 s after 4 s of
# warm-up, as a percentage of one core; the X server is not counted. Runs
# use SDL's dummy audio driver and a private working directory, so the
# player's config.dat is never touched. Needs Xvfb (package xvfb); strace
# sharpens the first-frame time.
set -euo pipefail

game_dir=$(cd "${1:-build/game}" && pwd)
repeats=${2:-3}
warmup=4
window=10
hz=$(getconf CLK_TCK)

work=$(mktemp -d)
# shellcheck source=bench/xvfb.sh
source "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"
game_pid=""
cleanup() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

ln -s "$game_dir/data" "$work/data"
ln -s "$game_dir/sound" "$work/sound"
# Enter on the main menu starts a game; the menu opens on "play".
printf '20 key down Enter\n21 key up Enter\n' >"$work/play.txt"

cpu_ticks() { # utime + stime of a process, in clock ticks
  awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"
}

# Prints the CPU share of one run: screen size, then game arguments.
measure() {
  local screen=$1
  shift
  start_x "$screen"
  rm -f "$work/config.dat"
  SDL_AUDIODRIVER=dummy "$game_dir/brinehold" --workdir "$work" --seed 1 --ticks 100000 "$@" \
    >/dev/null 2>&1 &
  game_pid=$!
  sleep "$warmup"
  local before after
  before=$(cpu_ticks "$game_pid")
  sleep "$window"
  after=$(cpu_ticks "$game_pid")
  kill "$game_pid" 2>/dev/null || true
  wait "$game_pid" 2>/dev/null || true
  game_pid=""
  stop_x
  awk -v a="$after" -v b="$before" -v hz="$hz" -v w="$window" \
    'BEGIN { printf "%.1f", (a - b) * 100 / hz / w }'
}

# Milliseconds from the start of the process to its first frame in a window:
# the first shared-memory image it attaches (SDL's window surface, made by the
# first present), seen through strace; without strace, the whole run of one
# tick (start, first frame and shutdown) as an upper bound. The fastest of
# the repeats.
first_frame() {
  start_x 1024x768
  local best="" label="start to first frame"
  command -v strace >/dev/null || label="start to first frame (upper bound)"
  for _ in $(seq "$repeats"); do
    rm -f "$work/config.dat"
    local ms
    if command -v strace >/dev/null; then
      SDL_AUDIODRIVER=dummy strace -f --seccomp-bpf -ttt -e trace=execve,shmat -o "$work/trace" \
        "$game_dir/brinehold" --workdir "$work" --seed 1 --windowed --ticks 1 >/dev/null 2>&1 || true
      ms=$(awk '/execve\(/ && !t0 { t0 = $2 } /shmat\(/ && !t1 { t1 = $2 }
                END { printf "%d", (t1 - t0) * 1000 }' "$work/trace")
    else
      local t0 t1
      t0=$(date +%s%N)
      SDL_AUDIODRIVER=dummy "$game_dir/brinehold" --workdir "$work" --seed 1 --windowed --ticks 1 \
        >/dev/null 2>&1 || true
      t1=$(date +%s%N)
      ms=$(((t1 - t0) / 1000000))
    fi
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  stop_x
  printf '%-34s %-22s goal <= 150 ms\n' "$label" "$best ms"
}

row() { # name goal args...
  local name=$1 goal=$2 screen=$3
  shift 3
  local figures=()
  for _ in $(seq "$repeats"); do
    figures+=("$(measure "$screen" "$@")")
  done
  printf '%-34s %-22s goal <= %s %%\n' "$name" "$(
    IFS=' '
    echo "${figures[*]}"
  ) %" "$goal"
}

echo "CPU of the game process, % of one core, $repeats runs each (load: $(cut -d' ' -f1-3 /proc/loadavg))"
row "menu (1024x768)" 3 1024x768 --windowed
row "play, windowed (1024x768)" 4 1024x768 --windowed --script "$work/play.txt"
row "play, full screen (1920x1080)" 6 1920x1080 --fullscreen --script "$work/play.txt"
first_frame
