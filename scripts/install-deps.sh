#!/usr/bin/env bash
# Installs every Debian package the build, the program and the tests need.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-base-dev-tools qt6-5compat-dev qt6-declarative-dev qt6-translations-l10n
  libqt6sql6-sqlite libqt6sql6-psql libqt6sql6-odbc
  libgl-dev libxkbcommon-dev
  unixodbc tdsodbc
  libxlsxwriter-dev libfreexl-dev zlib1g-dev
  fonts-wqy-zenhei
  sqlite3 postgresql
  poppler-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
