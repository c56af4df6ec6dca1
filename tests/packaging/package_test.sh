#!/usr/bin/env bash
# Builds the Debian package from a finished build tree and checks what it installs and what it declares:
# every shared library the executables need must come from a package named in Depends.
#
# Under pipefail a pipe fails when its reader leaves early and the writer dies of SIGPIPE (status 141):
# readers here read their input to the end (awk without exit, no head, no grep -q on a pipe).
set -euo pipefail
build="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work" >/dev/null)
deb=$(ls "$work"/veltara_*.deb)
dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|' | grep -v '/$' | sort > "$work/files"
expected="/usr/bin/veltara
/usr/bin/veltara-cli
/usr/bin/veltara-sim
/usr/share/applications/veltara.desktop
/usr/share/icons/hicolor/16x16/apps/veltara.png
/usr/share/icons/hicolor/32x32/apps/veltara.png"
if ! diff -u <(echo "$expected") "$work/files"; then
  echo "FAIL: the package's file list differs"; exit 1
fi

depends=$(dpkg-deb -f "$deb" Depends)
# The package names alone, one a line, without version constraints.
names=$(tr ',' '\n' <<<"$depends" | sed 's/(.*)//; s/ //g')
mkdir "$work/root"
dpkg-deb -x "$deb" "$work/root"
missing=0
for exe in "$work"/root/usr/bin/*; do
  for lib in $(readelf -d "$exe" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p'); do
    path=$(ldconfig -p | awk -v l="$lib" '$1 == l && path == "" {path = $NF} END {print path}')
    # Merged /usr: dpkg knows the library under /usr/lib even when ldconfig names /lib.
    pkg=""
    for candidate in "$path" "/usr${path}"; do
      [ -n "$pkg" ] || pkg=$( (dpkg -S "$candidate" 2>/dev/null || true) | sed -n '1s/:.*//p')
    done
    if [ -z "$pkg" ] || ! grep -qxF "$pkg" <<<"$names"; then
      echo "FAIL: $(basename "$exe") needs $lib ($path, package '${pkg:-unknown}') which Depends does not name"
      missing=1
    fi
  done
done
[ "$missing" -eq 0 ] || exit 1

grep -q '^Exec=veltara$' "$work/root/usr/share/applications/veltara.desktop"
grep -q '32 x 32' <<<"$(file "$work/root/usr/share/icons/hicolor/32x32/apps/veltara.png")"
echo "package ok: $(basename "$deb"); Depends: $depends"
