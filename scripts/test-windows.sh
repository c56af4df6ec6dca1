#!/usr/bin/env bash
# Builds the core and the settings file for 64-bit Windows with MinGW-w64 and runs their tests under
# Wine, then prints ctest's summary. Tests labelled linux-only are reported as skipped, with the reason.
# The build (GoogleTest included) and the Wine prefix stay under build/, so a second run is quick.
set -euo pipefail
cd "$(dirname "$0")/.."

# The cross compiler (posix threads, for std::thread and GoogleTest; gcc for GoogleTest's C check),
# GoogleTest's sources, Qt's headers (for the window's serial helpers), Wine's 64-bit loader and the
# wine/wineserver commands.
bash scripts/setup-debian.sh cmake ninja-build qt6-base-dev qt6-serialport-dev \
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix googletest wine64 wine

# Must match the windows-cross test preset, which runs the tests in this prefix.
export WINEPREFIX="$PWD/build/wine-prefix"
export WINEDEBUG=-all
# No Mono or Gecko: their installers would open a dialog and wait for a click.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Without a display Wine opens no window, so nothing can wait for input.
unset DISPLAY WAYLAND_DISPLAY
export HOME="${HOME:-$PWD/build}"
wine64=/usr/lib/wine/wine64

mkdir -p build
if [ -e "$WINEPREFIX" ] && [ ! -O "$WINEPREFIX" ]; then
  echo "$WINEPREFIX belongs to another user, and Wine refuses a prefix that is not the caller's: remove it" >&2
  exit 1
fi

printf '\n== Windows cross build (MinGW-w64)\n'
cmake --preset windows-cross
cmake --build --preset windows-cross

# One persistent wineserver for every test process: started afresh per process, parallel tests fail or
# hang at random. wineboot creates or updates the prefix and brings the server up before the first test.
# The window's Windows serial helpers need Qt for Windows to build, which Debian does not ship; compiling
# them against Debian's Qt headers with the Windows compiler still catches a slip in their Win32 calls.
printf '\n== Windows serial helpers, compiled against Qt headers\n'
qt_headers=/usr/include/x86_64-linux-gnu/qt6
for source in src/qt/serial/*_win.cpp; do
  x86_64-w64-mingw32-g++-posix -std=c++20 -fsyntax-only -Wall -Wextra -Werror -I"$qt_headers" \
    -I"$qt_headers/QtCore" -I"$qt_headers/QtSerialPort" -Isrc/core -Isrc/qt/serial "$source"
  echo "$source: compiles"
done

printf '\n== Wine prefix %s\n' "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
wineserver -k 2>/dev/null || true
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
# Creating a prefix without 32-bit Wine prints harmless complaints; they are kept for a failed start.
if ! "$wine64" wineboot >build/wineboot.log 2>&1; then
  cat build/wineboot.log >&2
  exit 1
fi
# A crash shows a report on the console, never a dialog.
"$wine64" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null

printf '\n== Windows tests under Wine\n'
status=0
ctest --preset windows-cross -j "$(nproc)" --timeout 300 || status=$?
ctest --preset windows-cross -L linux-only --verbose 2>/dev/null | sed -n 's/^[0-9]*: \([^ ]* left out on .*\)/\1/p'
exit $status
