#!/usr/bin/env bash
# Installs what is needed, builds the program and starts it in the working
# folder run/ (pictures, tips and settings beside it). Without a display, the
# program gets an Xvfb server of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

sudo_cmd=()
if [ "$(id -u)" -ne 0 ] && command -v sudo >/dev/null 2>&1; then
  sudo_cmd=(sudo)
fi
"${sudo_cmd[@]}" scripts/install-deps.sh

# VANTREL_BUILD_DIR: another build folder than build/ (for developers).
build=${VANTREL_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target vantrel-glimra -j "$(nproc)"

# The working folder: the registry, its backup, the last network
# configuration and the user's settings live here between runs.
mkdir -p run
if [ ! -e run/icons ]; then
  ln -s "$root/icons" run/icons
fi
for f in tips.txt config.ini; do
  [ -e "run/$f" ] || cp "$f" "run/$f"
done

# shellcheck source=xvfb.sh
. scripts/xvfb.sh
xvfb_dir=
cleanup() {
  stop_xvfb
  [ -n "$xvfb_dir" ] && rm -rf "$xvfb_dir"
  return 0
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
  xvfb_dir=$(mktemp -d)
  start_xvfb "$xvfb_dir" || exit 1
  echo "No display found: started a private Xvfb server on $DISPLAY for the program."
  echo "It runs until you end it (Ctrl+C here). To look at it, take a screenshot of that display, e.g. with ImageMagick: import -display $DISPLAY -window root shot.png"
fi

echo "Starting Vantrel Glimra in $root/run"
cd run
status=0
"$root/$build/src/vantrel-glimra" || status=$?
exit $status
