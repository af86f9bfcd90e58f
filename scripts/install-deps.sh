#!/usr/bin/env bash
# Installs the Debian packages the project needs; quick when everything is there already.
set -euo pipefail

packages=(build-essential cmake ninja-build pkg-config qt6-base-dev libqt6sql6-sqlite libmariadb-dev
  mariadb-server mariadb-client zlib1g-dev libcurl4-openssl-dev libsqlite3-dev libzint-dev xvfb xauth
  zbar-tools poppler-utils qpdf python3-pyftpdlib fonts-dejavu-core fonts-liberation fonts-wine img2pdf xdg-utils)
# Qt's own Czech catalogue for the standard dialogs; a print system with a virtual PDF printer for
# the printing tests (scripts/cups.sh runs a private scheduler).
packages+=(qt6-translations-l10n cups cups-filters printer-driver-cups-pdf)
packages+=(galera-4 rsync iproute2 lsof) # scripts/cluster.sh: Galera nodes and their rsync state transfer

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
# The private server is ours; keep the package's own service from being started where possible.
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
