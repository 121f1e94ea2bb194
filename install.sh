#!/usr/bin/env bash
# Builds Tabvale's Debian package and installs it: Tabvale is then in the desktop's menu and opens
# SQLite files from the file manager. Installing needs root: run as another user it asks sudo.
set -euo pipefail
TABVALE_ROOT=$(cd "$(dirname "$0")" && pwd)
. "$TABVALE_ROOT/scripts/setup.sh"
tabvale_install_packages package
dir=${BUILD_DIR:-$TABVALE_ROOT/build}
tabvale_build "$dir"
(cd "$dir" && cpack -G DEB >/dev/null)
deb=$(ls -t "$dir"/tabvale_*.deb | head -n 1)
echo "Installing $deb"
if [ "$(id -u)" -eq 0 ]; then
    apt-get install -y "$deb"
else
    sudo apt-get install -y "$deb"
fi
