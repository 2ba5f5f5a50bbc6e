#!/usr/bin/env bash
# Installs the Debian packages stowr needs, only those that are missing (run as root).
# Usage: scripts/deps.sh native|windows|all
set -euo pipefail
want=(cmake ninja-build g++ libgtest-dev libssl-dev time openssl osslsigncode pkg-config strace python3 python3-venv python3-setuptools python3-wheel)
case "${1:-all}" in
  native) ;;
  windows) want=(cmake ninja-build g++-mingw-w64-x86-64-posix wine wine64 fonts-wine fonts-liberation2 xvfb x11-utils python3 imagemagick zip unzip
                 openssl osslsigncode python3-venv python3-setuptools python3-wheel) ;;
  all) want+=(clang libclang-rt-14-dev g++-mingw-w64-x86-64-posix wine wine64 fonts-wine fonts-liberation2 xvfb imagemagick x11-utils python3 zip unzip) ;;
esac
missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends "${missing[@]}"
