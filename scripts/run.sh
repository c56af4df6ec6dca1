#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine, builds and starts the configuration dialog.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh
cmake --preset default
cmake --build --preset default
if [ -x build/default/src/app/veltara ]; then
  exec build/default/src/app/veltara
fi
echo "The window is not built yet: the dialog's logic and its tests are in place (scripts/test.sh)."
