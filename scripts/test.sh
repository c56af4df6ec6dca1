#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh
preset="${VELTARA_PRESET:-ci}"
cmake --preset "$preset"
cmake --build --preset "$preset"
# Window tests run on Qt's offscreen platform: no display is needed.
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
ctest --preset "$preset" --output-on-failure --timeout 300
