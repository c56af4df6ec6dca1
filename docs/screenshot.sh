#!/usr/bin/env bash
# Regenerates docs/veltara-window.png, the window as it opens on a first start: the dialog runs on a private
# Xvfb display in a scratch directory (so without a settings file), with COM1 on the converter simulator so
# that no message box covers it. Needs what scripts/setup-debian.sh installs (xvfb, xauth, imagemagick,
# x11-utils and the fonts a new user has); without a build directory it builds veltara and veltara-sim
# with the default preset.
#
# Usage: bash docs/screenshot.sh [build directory]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
if [ -z "${1:-}" ]; then
  (cd "$root" && cmake --preset default >/dev/null && cmake --build --preset default --target veltara veltara-sim >/dev/null)
fi
build="$(cd "${1:-$root/build/default}" && pwd)"

if [ -z "${VELTARA_SCREENSHOT_INNER:-}" ]; then
  VELTARA_SCREENSHOT_INNER=1 exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$build"
fi
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

export XDG_CONFIG_HOME="$scratch/config" QT_QPA_PLATFORM=xcb
cd "$scratch"
"$build/src/tools/sim/veltara-sim" --as COM1 > sim.log &
sim=$!
for _ in $(seq 50); do [ -e "$XDG_CONFIG_HOME/veltara/ports/COM1" ] && break; sleep 0.1; done
"$build/src/app/veltara" &
app=$!
window=""
for _ in $(seq 100); do
  # awk reads to the end: leaving early would kill xwininfo with SIGPIPE, failing the pipe.
  window="$(xwininfo -root -tree | awk '/"RS232-CAN BUS Configuration"/ && !w { w = $1 } END { print w }')"
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "the window did not appear" >&2; exit 1; }
sleep 1  # the first paint
# A window's content only, without decorations (Xvfb runs no window manager); 64 colours keep it small.
import -window "$window" -colors 64 +dither "PNG8:$root/docs/veltara-window.png"
kill "$app" "$sim"
wait "$app" "$sim" 2>/dev/null || true
echo "wrote docs/veltara-window.png"
