#!/usr/bin/env bash
# Redraws every picture in icons/ with scripts/make-icons.cpp. Text drawing
# needs an X display: without one, a private Xvfb server is started.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# shellcheck disable=SC2046
g++ -std=c++17 -O1 -Wall -Wextra -o "$work/make-icons" scripts/make-icons.cpp $(wx-config --cxxflags --libs core,base)
mkdir -p icons
if [ -n "${DISPLAY:-}" ]; then
  "$work/make-icons" icons
else
  tests/run-with-xvfb.sh "$work/make-icons" icons
fi
echo "pictures written to icons/: $(ls icons/*.jpg | wc -l)"
