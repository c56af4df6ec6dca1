#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine and builds the Debian package with the Release build
# (hardened, stripped): build/release/veltara_<version>_amd64.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh
cmake --workflow --preset package
echo "built: $(ls build/release/veltara_*_amd64.deb)"
