#!/usr/bin/env bash
# Installs the Debian packages the build needs, when any is missing, and
# makes the comma-decimal locale that the number tests run under. This is the
# only script that changes the system (packages, /etc/locale.gen).
set -euo pipefail
# qt6-translations-l10n: the toolkit's own texts (Yes/No, file dialogs) in
# Japanese and Chinese; fonts-noto-cjk: proportional Japanese and Chinese
# interface fonts; libx11-dev: the lock-key states of the status bar; xvfb
# and xauth: an X server without a screen for the layout tests' second run.
packages=(cmake ninja-build g++ clang-format pkg-config qt6-base-dev qt6-translations-l10n libxml2-dev libx11-dev libgtest-dev
          libgmock-dev libbenchmark-dev clang libclang-rt-14-dev fonts-noto-cjk fonts-ipafont-gothic fonts-wqy-microhei
          locales xvfb xauth)
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
  $sudo sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi
