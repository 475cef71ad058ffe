# shellcheck shell=bash
# Shared by the CPU benches (sourced, not run): a private virtual X server.
# start_x [WIDTHxHEIGHT] starts one on the first free display from :90 and
# exports DISPLAY; stop_x stops it. The caller's EXIT trap should kill
# "$xvfb_pid" too, for a bench cut short.
xvfb_pid=""

start_x() {
  local display
  for display in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$display" ] && continue
    Xvfb ":$display" -screen 0 "${1:-1024x768}x24" -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$display" ] && break
      sleep 0.1
    done
    if kill -0 "$xvfb_pid" 2>/dev/null; then
      export DISPLAY=":$display"
      return 0
    fi
  done
  echo "cannot start Xvfb" >&2
  exit 1
}

stop_x() {
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=""
}
