#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine, builds the program and starts the configuration dialog.
# The dialog keeps its settings in quorvel.ini in the directory this script is started from. The companion
# programs are built too: build/default/src/tools/cli/veltara-cli and build/default/src/tools/sim/veltara-sim.
set -euo pipefail
caller="$(pwd)"
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/setup-debian.sh
cmake --preset default
cmake --build --preset default --target veltara veltara-cli veltara-sim
cd "$caller"
exec "$root/build/default/src/app/veltara" "$@"
