#!/usr/bin/env bash
# Runs a command with DISPLAY set to an X server of its own, started here and
# stopped when the command ends. Listing the tests needs no display.
for arg in "$@"; do
  case "$arg" in --gtest_list_tests) exec "$@" ;; esac
done
dir=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
xvfb=$!
for _ in $(seq 200); do
  [ -s "$dir/display" ] && break
  sleep 0.05
done
if [ ! -s "$dir/display" ]; then
  echo "run-with-xvfb: Xvfb did not start" >&2
  cat "$dir/xvfb.log" >&2
  kill "$xvfb" 2>/dev/null
  rm -rf "$dir"
  exit 1
fi
export DISPLAY=":$(head -n 1 "$dir/display")"
export VANTREL_UPDATE_URL="${VANTREL_UPDATE_URL:-http://127.0.0.1:9/checkglimra3.ini}"
# Per-process home: the single-instance lock and wx settings live there.
export HOME="$dir/home"
mkdir -p "$HOME"
"$@"
rc=$?
kill "$xvfb" 2>/dev/null
wait "$xvfb" 2>/dev/null
rm -rf "$dir"
exit $rc
