#!/usr/bin/env bash
# Builds Tabvale and runs the whole test suite; exits non-zero on any failure.
# Extra arguments go to cmake (for example -DTABVALE_SANITIZE=ON); BUILD_DIR picks the build tree.
set -euo pipefail
TABVALE_ROOT=$(cd "$(dirname "$0")" && pwd)
. "$TABVALE_ROOT/scripts/setup.sh"
tabvale_install_packages tests
dir=${BUILD_DIR:-$TABVALE_ROOT/build}
tabvale_build "$dir" "$@"
(cd "$dir" && ctest --output-on-failure --parallel "$(nproc)" --timeout 600)
# A bounded fuzzing run of the picture readers (skips itself without clang); once per CI run is enough.
if [ -z "${TABVALE_SKIP_FUZZ:-}" ]; then
    "$TABVALE_ROOT/tests/picture/fuzz/run-fuzz.sh" 50
fi
