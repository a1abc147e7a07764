#!/usr/bin/env bash
# Installs every Debian 12 package that the build, the program and the tests
# need. Quiet and quick when everything is already there.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n
  libsqlite3-dev sqlite3
  libjpeg-dev
  libuemf-dev emf2svg
  poppler-utils
  libx11-dev
  libcups2-dev cups cups-client printer-driver-cups-pdf
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation fonts-dejavu-core
  xvfb xauth xdotool xclip
)
# CI builds the fuzz targets with clang and its libFuzzer runtime, and
# checks the formatting with clang-format.
if [ "${QUESTOES_CI:-0}" = 1 ]; then
  packages+=(clang libclang-rt-14-dev clang-format)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "setup: need root (or sudo) to install: ${missing[*]}" >&2; exit 1; }
  sudo=sudo
fi
echo "setup: installing ${missing[*]}"
$sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
