#!/usr/bin/env bash
# Installs what is missing, builds every tree and runs every test.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$src/build}
bash "$src/scripts/install.sh"
bash "$src/scripts/build.sh"
status=0
ctest --test-dir "$BUILD_DIR/host" --output-on-failure || status=1
ctest --test-dir "$BUILD_DIR/win64" --output-on-failure || status=1
exit $status
