#!/usr/bin/env bash
# The main job: installs what is missing, builds, and runs a whole firmware
# update of the simulated handset under Wine.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$src/build}
bash "$src/scripts/install.sh"
bash "$src/scripts/build.sh"
echo "built: $BUILD_DIR/win64/app/X7Q2Update.exe (tests) and $BUILD_DIR/win32/app/X7Q2Update.exe (release)"
