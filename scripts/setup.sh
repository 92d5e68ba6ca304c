#!/usr/bin/env bash
# Installs what building and testing vorn needs, on Debian 12, when missing.
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config libxml2-dev libcurl4-openssl-dev libssl-dev libgtest-dev
          python3 openssl curl locales)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi
