#!/usr/bin/env bash
# Builds Tabvale and starts it on the sample database.
set -euo pipefail
TABVALE_ROOT=$(cd "$(dirname "$0")" && pwd)
. "$TABVALE_ROOT/scripts/setup.sh"
tabvale_install_packages desktop
tabvale_build "$TABVALE_ROOT/build"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: Tabvale is a desktop program. Start it inside a virtual X server with:"
    echo "  xvfb-run -a ./run.sh"
    exit 1
fi
exec "$TABVALE_ROOT/build/tabvale" "$@"
