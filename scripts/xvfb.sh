# Sourced: start_xvfb DIR starts a private Xvfb server whose files live in
# DIR, exports DISPLAY and sets XVFB_PID; on failure it prints the server's
# log and returns 1. stop_xvfb ends it.
start_xvfb() {
  local dir=$1
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
  XVFB_PID=$!
  for _ in $(seq 200); do
    [ -s "$dir/display" ] && break
    sleep 0.05
  done
  if [ ! -s "$dir/display" ]; then
    echo "Xvfb did not start:" >&2
    cat "$dir/xvfb.log" >&2
    stop_xvfb
    return 1
  fi
  export DISPLAY=":$(head -n 1 "$dir/display")"
}

stop_xvfb() {
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=
  fi
  return 0
}
