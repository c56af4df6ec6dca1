#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine and runs the whole test suite: the format check, the
# tests on a normal build, the core and settings tests built for Windows and run under Wine, the same tests
# under AddressSanitizer and UndefinedBehaviorSanitizer, and each fuzz target for a bounded time
# (FUZZ_SECONDS, 60 by default).
#   VELTARA_QUICK=1 bash scripts/test.sh   only the normal build and its tests
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh

# Window tests run on Qt's offscreen platform: no display is needed.
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"

step() { printf '\n== %s\n' "$*"; }

if [ -z "${VELTARA_QUICK:-}" ]; then
  step "format check"
  git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror
fi

step "normal build and tests"
cmake --preset ci
cmake --build --preset ci
ctest --preset ci --timeout 300

if [ -z "${VELTARA_QUICK:-}" ]; then
  step "core and settings for Windows, under Wine"
  bash scripts/test-windows.sh

  step "sanitizer build and tests"
  cmake --preset sanitize
  cmake --build --preset sanitize
  ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}" \
    ctest --preset sanitize --timeout 600

  step "fuzz targets, ${FUZZ_SECONDS:-60} s each"
  bash scripts/fuzz.sh
fi
