#!/usr/bin/env bash
# Installs what building and testing need on Debian 12. Safe to run again:
# apt is only asked when a package is missing.
set -euo pipefail

packages=(
  cmake make g++ pkg-config
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  googletest
  wine64
  xvfb x11-utils xdotool imagemagick fonts-wqy-zenhei
  locales
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "install: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# Wine takes the code page of program arguments and file names from the Unix
# locale; zh_TW.UTF-8 must exist for Chinese arguments to reach a program.
if ! locale -a 2>/dev/null | grep -qi '^zh_TW\.utf-\?8$'; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO sed -i 's/^# *\(zh_TW.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^zh_TW.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_TW.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
