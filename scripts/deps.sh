#!/usr/bin/env bash
# Installs the Debian packages Tavro needs to build, run and test, skipping those present.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-declarative-dev qt6-webengine-dev libqt6webenginecore6-bin
  qt6-qpa-plugins qt6-translations-l10n libgl-dev
  fonts-ipafont-gothic fonts-ipafont-mincho
  xvfb xauth x11-utils xdotool xclip openbox imagemagick
  attr acl
  clang libclang-rt-14-dev
  # A real input method for the end-to-end input-method test (run as an ordinary user).
  ibus ibus-mozc mozc-server dbus-x11 x11-xkb-utils dconf-gsettings-backend locales
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# The input-method test types Japanese under a Japanese locale.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
