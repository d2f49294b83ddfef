#!/usr/bin/env bash
# Runs a command with DISPLAY set to an X server of its own, started here and
# stopped when the command ends. Listing the tests needs no display.
for arg in "$@"; do
  case "$arg" in --gtest_list_tests) exec "$@" ;; esac
done
# shellcheck source=../scripts/xvfb.sh
. "$(dirname "$0")/../scripts/xvfb.sh"
dir=$(mktemp -d)
if ! start_xvfb "$dir"; then
  rm -rf "$dir"
  exit 1
fi
export VANTREL_UPDATE_URL="${VANTREL_UPDATE_URL:-http://127.0.0.1:9/checkglimra3.ini}"
# Per-process home: the single-instance lock and wx settings live there.
export HOME="$dir/home"
mkdir -p "$HOME"
"$@"
rc=$?
stop_xvfb
rm -rf "$dir"
exit $rc
