#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, only those that
# are missing. Run as root (or with sudo available) on Debian 12 or later.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  bison flex
  clang-format clang libclang-rt-dev lld
  libgtest-dev libgmock-dev libbenchmark-dev
  libssl-dev
  python3
  qt6-base-dev xvfb xauth fonts-dejavu-core
  libx11-dev adwaita-icon-theme
)
# Not here on purpose: lua5.4, which only the store benchmark's comparison
# (bench/store/compare.sh, never run in CI) needs; that script installs it.

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
