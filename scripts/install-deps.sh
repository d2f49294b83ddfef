#!/usr/bin/env bash
# Installs the Debian packages needed to build, run and test, when missing.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  libwxgtk3.2-dev libgtk-3-dev libwxsqlite3-3.2-dev libsqlite3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth libx11-dev
  fonts-dejavu-core
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
