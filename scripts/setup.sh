#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
set -euo pipefail

packages=(
  cmake make g++ pkg-config clang-format python3 python3-fonttools
  qt6-base-dev qt6-svg-dev qt6-translations-l10n qt6-qpa-plugins
  libgtest-dev libgmock-dev
  fonts-noto-cjk
  xvfb xauth x11-utils
  at-spi2-core dbus-x11 python3-pyatspi gir1.2-atspi-2.0 xdotool xclip
  ibus ibus-mozc mozc-server gir1.2-ibus-1.0 python3-gi util-linux
  fcitx5 fcitx5-mozc fcitx5-frontend-qt6
  weston qt6-wayland
  strace mmdebstrap
  stress-ng
  clang libclang-rt-14-dev
  libbenchmark-dev
  g++-mingw-w64-x86-64 wine64 librsvg2-bin icoutils imagemagick
  wixl msitools
  appstream desktop-file-utils
  dpkg-dev lintian man-db
  acl attr
  orca speech-dispatcher openbox locales
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
