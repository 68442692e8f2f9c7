#!/usr/bin/env bash
# install_layout.sh <cmake> <build dir> <app id> <version> <icon sizes>...
# Installs the build into a temporary prefix and checks what a desktop needs from it: the programs,
# a desktop file each whose program and icon are there, every icon size, metainfo that names the
# desktop file, the programs and this version; the licence and changelog in Debian's form; nothing
# else installed; and desktop-file-validate and appstreamcli find no fault.
set -uo pipefail
cmake="$1" build="$2" id="$3" version="$4"
shift 4
sizes=("$@")

prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

if ! "$cmake" --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1; then
  cat "$prefix.log" >&2
  rm -f "$prefix.log"
  echo "FAIL: cmake --install" >&2
  exit 1
fi
rm -f "$prefix.log"

apps="$prefix/share/applications"
hicolor="$prefix/share/icons/hicolor"
metainfo="$prefix/share/metainfo/$id.metainfo.xml"
expected=(
  "bin/Quillory" "bin/QuilloryServer"
  "share/applications/$id.desktop" "share/applications/${id}Server.desktop"
  "share/icons/hicolor/scalable/apps/$id.svg"
  "share/metainfo/$id.metainfo.xml"
  "share/doc/quillory/copyright" "share/doc/quillory/changelog.gz"
)
for size in "${sizes[@]}"; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
done

# Exactly these files: a missing one breaks the desktop, a stray one (a test program, a library)
# would land in /usr of every player.
installed="$(cd "$prefix" && find . -type f -printf '%P\n' | sort)"
wanted="$(printf '%s\n' "${expected[@]}" | sort)"
if [ "$installed" != "$wanted" ]; then
  fail "installed files differ from the expected layout:"
  diff <(echo "$wanted") <(echo "$installed") >&2
fi

for program in Quillory QuilloryServer; do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program is not an executable"
done

for size in "${sizes[@]}"; do
  png="$hicolor/${size}x${size}/apps/$id.png"
  [ -f "$png" ] || continue
  file -b "$png" | grep -q "^PNG image data, $size x $size," ||
    fail "$png is not a ${size}x${size} PNG: $(file -b "$png")"
done

# The validators print nothing for a clean file; hints and warnings count as failures too.
for desktop in "$apps/$id.desktop" "$apps/${id}Server.desktop"; do
  [ -f "$desktop" ] || continue
  out="$(desktop-file-validate "$desktop" 2>&1)"
  [ $? -eq 0 ] && [ -z "$out" ] || fail "desktop-file-validate $desktop: $out"
  exec_program="$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")"
  [ -x "$prefix/bin/$exec_program" ] || fail "$desktop starts '$exec_program', not installed in bin/"
  icon="$(sed -n 's/^Icon=//p' "$desktop")"
  [ -f "$hicolor/scalable/apps/$icon.svg" ] || fail "$desktop shows icon '$icon', not installed"
done

if [ -f "$metainfo" ]; then
  out="$(appstreamcli validate --no-net "$metainfo" 2>&1)" || fail "appstreamcli validate: $out"
  launchable="$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$metainfo")"
  [ "$launchable" = "$id.desktop" ] || fail "metainfo launches '$launchable', not $id.desktop"
  binaries="$(sed -n 's:.*<binary>\(.*\)</binary>.*:\1:p' "$metainfo" | sort | tr '\n' ' ')"
  [ "$binaries" = "Quillory QuilloryServer " ] || fail "metainfo provides '$binaries'"
  release="$(grep -o '<release version="[^"]*"' "$metainfo" | head -n 1)"
  [ "$release" = "<release version=\"$version\"" ] || fail "newest release is '$release', not $version"
fi

doc="$prefix/share/doc/quillory"
if [ -f "$doc/copyright" ]; then
  head -n 1 "$doc/copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "copyright is not in the machine-readable format"
  grep -q '^Files: \*$' "$doc/copyright" || fail "copyright covers no files"
fi
if [ -f "$doc/changelog.gz" ]; then
  entry="$(gzip -dc "$doc/changelog.gz" | head -n 1)"
  [ "$entry" = "quillory ($version) unstable; urgency=medium" ] || fail "changelog starts '$entry'"
  gzip -dc "$doc/changelog.gz" | grep -Eq '^ -- .+ <.+@.+>  [A-Z][a-z]{2}, [0-9]{2} [A-Z][a-z]{2} [0-9]{4} ' ||
    fail "changelog has no signature line with an address and a date"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)" >&2
  exit 1
fi
echo "install layout: ${#expected[@]} files, desktop files and metainfo valid"
