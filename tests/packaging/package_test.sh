#!/usr/bin/env bash
# Builds the Debian package from a finished build tree and checks it as Debian's tools would: what it
# installs, what it declares (every shared library the executables need comes from a package named in
# Depends), its manual pages, documentation and icons, the hardening of its executables, and, when lintian
# is installed, that lintian finds no error, no warning and no missing hardening.
#
# Under pipefail a pipe fails when its reader leaves early and the writer dies of SIGPIPE (status 141):
# readers here read their input to the end (awk without exit, no head, no grep -q on a pipe); a command's
# output to search is kept in a variable first.
set -euo pipefail
build="$1"
version="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
has() { grep -Eq "$1" <<<"$2"; }

(cd "$build" && cpack -G DEB -B "$work" >/dev/null)
deb=$(ls "$work"/veltara_*.deb)
programs="veltara veltara-cli veltara-sim"
dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|' | grep -v '/$' | sort > "$work/files"
{
  for p in $programs; do echo "/usr/bin/$p"; echo "/usr/share/man/man1/$p.1.gz"; done
  for s in 16 32 48 64 128 256; do echo "/usr/share/icons/hicolor/${s}x$s/apps/veltara.png"; done
  printf '%s\n' /usr/share/applications/veltara.desktop /usr/share/icons/hicolor/scalable/apps/veltara.svg \
    /usr/share/doc/veltara/README.md /usr/share/doc/veltara/changelog.gz /usr/share/doc/veltara/copyright \
    /usr/share/doc/veltara/docs/veltara-window.png /usr/share/doc/veltara/docs/settings-file.md \
    /usr/share/doc/veltara/docs/frame.md /usr/share/doc/veltara/docs/json.md /usr/share/lintian/overrides/veltara
  for schema in decode ports program program-result program-log; do
    echo "/usr/share/doc/veltara/docs/schema/$schema.schema.json"
  done
} | sort > "$work/expected"
diff -u "$work/expected" "$work/files" || fail "the package's file list differs"

mkdir "$work/root"
dpkg-deb -x "$deb" "$work/root"
root="$work/root"

# The control fields Debian's tools read.
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "Version is not $version"
maintainer=$(dpkg-deb -f "$deb" Maintainer)
has '^[^<]+ <[^@<>]+@[^@<>]+\.[a-z]+>$' "$maintainer" || fail "Maintainer has no usable mail address: $maintainer"
dpkg-deb -f "$deb" Description | awk 'length > 80 { print; bad = 1 } END { exit bad }' ||
  fail "the description has lines longer than 80 columns"

depends=$(dpkg-deb -f "$deb" Depends)
# The package names alone, one a line, without version constraints.
names=$(tr ',' '\n' <<<"$depends" | sed 's/(.*)//; s/ //g')
# The window runs on Qt's X11 plug-in, in a Wayland session too (through XWayland): its package is a dependency.
xcb=$( (dpkg -S '*/qt6/plugins/platforms/libqxcb.so' 2>/dev/null || true) | sed -n '1s/:.*//p')
grep -qxF "${xcb:-?}" <<<"$names" || fail "Depends does not name '${xcb:-unknown}', which holds Qt's X11 plug-in"
for p in $programs; do
  exe="$root/usr/bin/$p"
  for lib in $(readelf -d "$exe" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p'); do
    path=$(ldconfig -p | awk -v l="$lib" '$1 == l && path == "" {path = $NF} END {print path}')
    # Merged /usr: dpkg knows the library under /usr/lib even when ldconfig names /lib.
    pkg=""
    for candidate in "$path" "/usr${path}"; do
      [ -n "$pkg" ] || pkg=$( (dpkg -S "$candidate" 2>/dev/null || true) | sed -n '1s/:.*//p')
    done
    grep -qxF "${pkg:-?}" <<<"$names" ||
      fail "$p needs $lib ($path, package '${pkg:-unknown}') which Depends does not name"
  done
  # Hardened as Debian builds: relocations read-only and bound at start, fortified calls, stack canaries.
  has GNU_RELRO "$(readelf -lW "$exe")" || fail "$p has no read-only relocations"
  has 'BIND_NOW|Flags:.* NOW' "$(readelf -dW "$exe")" || fail "$p is not linked with -z now"
  symbols=$(nm -D "$exe")
  has ' U __[a-z]+_chk@' "$symbols" || fail "$p calls no fortified function"
  has ' U __stack_chk_fail@' "$symbols" || fail "$p has no stack protector"
  # The packed, stripped program still runs.
  [ "$("$exe" --version)" = "$p $version" ] || fail "$p --version does not say '$p $version'"
  has "^${p//-/\\\\-} \\\\- " "$(zcat "$root/usr/share/man/man1/$p.1.gz")" || fail "$p.1 has no NAME line for $p"
done

# Documentation: a machine-readable copyright file and the changelog of this version.
[ "$(sed -n 1p "$root/usr/share/doc/veltara/copyright")" = \
  'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ] ||
  fail "the copyright file is not machine-readable"
has "^veltara \($version\) " "$(zcat "$root/usr/share/doc/veltara/changelog.gz" | sed -n 1p)" ||
  fail "the changelog does not start with version $version"

# The README and the pages beside it are read where they are installed: every relative link and
# picture leads to a file of the package, except the developer page, which the README names as being
# in the source tree; and the README names no build tree.
doc="$root/usr/share/doc/veltara"
source_tree_only="docs/development.md"
for page in "$doc/README.md" "$doc"/docs/*.md; do
  for target in $( (grep -oE '\]\([^)#[:space:]]+' "$page" || true) | sed 's/^](//'); do
    case "$target" in http://* | https://* | mailto:*) continue ;; esac
    [ "$page" = "$doc/README.md" ] && [ "$target" = "$source_tree_only" ] && continue
    [ -e "$(dirname "$page")/$target" ] || fail "${page#"$root"} links to $target, which the package lacks"
  done
done
! grep -En '(^|[^[:alnum:]_])build/' "$doc/README.md" || fail "the installed README names a build tree"

grep -q '^Exec=veltara$' "$root/usr/share/applications/veltara.desktop" || fail "the desktop entry runs no veltara"
for s in 16 32 48 64 128 256; do
  has "PNG image data, $s x $s," "$(file "$root/usr/share/icons/hicolor/${s}x$s/apps/veltara.png")" ||
    fail "the ${s}x$s icon is not a $s x $s PNG"
done
has SVG "$(file "$root/usr/share/icons/hicolor/scalable/apps/veltara.svg")" || fail "the scalable icon is no SVG"

# Every example in the manuals runs as printed with the packaged programs.
bash "$(dirname "$0")/manual_examples.sh" "$root" || fail "a manual's example does not run as printed"

if command -v lintian >/dev/null; then
  # Everything lintian says is shown; errors, warnings and hardening at any level fail.
  lintian --pedantic --display-info "$deb" 2>/dev/null > "$work/lintian" || true
  cat "$work/lintian"
  ! grep -E '^[EW]: |hardening' "$work/lintian" >/dev/null || fail "lintian reports the above"
else
  echo "lintian is not installed: skipped"
fi
[ "$failures" -eq 0 ] || exit 1
echo "package ok: $(basename "$deb"); Depends: $depends"
