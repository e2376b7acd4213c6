#!/usr/bin/env bash
# Makes the release files from the two builds of BrindoraPro.scr:
#   BrindoraPro-<version>-setup.exe      32-bit installer, holds both savers
#   BrindoraPro-<version>-setup-x64.exe  64-bit installer, holds the x64 saver
#   BrindoraPro-<version>.zip            both savers and a readme, for installing by hand
#
#   scripts/package.sh [--x86 <scr>] [--x64 <scr>] [--out <dir>]
# A saver not given is built first through its CMake preset; --out defaults
# to out/release.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
declare -A scr=()
out="$root/out/release"
while (($#)); do
  case "$1" in
    --x86 | --x64) scr[${1#--}]=$(realpath "$2"); shift 2 ;;
    --out) out=$2; shift 2 ;;
    *) echo "usage: scripts/package.sh [--x86 <scr>] [--x64 <scr>] [--out <dir>]" >&2; exit 2 ;;
  esac
done

version=$(sed -n 's/^project(BrindoraPro VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
[[ -n "$version" ]] || { echo "package: no version in CMakeLists.txt" >&2; exit 1; }

for arch in x86 x64; do
  if [[ -z "${scr[$arch]:-}" ]]; then
    # Presets are found from the source folder.
    (cd "$root" && cmake --preset "$arch" >/dev/null && cmake --build --preset "$arch" --target BrindoraPro)
    scr[$arch]="$root/build/$arch/BrindoraPro.scr"
  fi
  [[ -f "${scr[$arch]}" ]] || { echo "package: ${scr[$arch]} is missing" >&2; exit 1; }
done

mkdir -p "$out"
out=$(realpath "$out")
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

# The builds carry debug information; users get the savers without it.
declare -A tools=([x86]=i686-w64-mingw32 [x64]=x86_64-w64-mingw32) shipped=()
for arch in x86 x64; do
  shipped[$arch]="$stage/BrindoraPro-$arch.scr"
  "${tools[$arch]}-strip" -o "${shipped[$arch]}" "${scr[$arch]}"
done

python3 "$root/resources/icon/make_icon.py" "$stage/BrindoraPro.ico"

nsi="$root/resources/installer/BrindoraPro.nsi"
common=(-V2 -INPUTCHARSET UTF8 "-DVERSION=$version" "-DSCR_X86=${shipped[x86]}" "-DSCR_X64=${shipped[x64]}"
  "-DICON=$stage/BrindoraPro.ico")
name="BrindoraPro-$version"
makensis "${common[@]}" "-DOUTFILE=$stage/$name-setup.exe" "$nsi"
makensis "${common[@]}" -DX64 "-DOUTFILE=$stage/$name-setup-x64.exe" "$nsi"

mkdir "$stage/zip"
cp "${shipped[x86]}" "$stage/zip/BrindoraPro-32bit.scr"
cp "${shipped[x64]}" "$stage/zip/BrindoraPro-64bit.scr"
# Plain text for Notepad: Windows line ends.
sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' "$root/resources/installer/README.txt" >"$stage/zip/README.txt"
(cd "$stage/zip" && zip -q -X "$stage/$name.zip" README.txt BrindoraPro-64bit.scr BrindoraPro-32bit.scr)

# Each file appears whole or not at all, so a reader never takes a half-written one.
for file in "$name-setup.exe" "$name-setup-x64.exe" "$name.zip"; do
  mv -f "$stage/$file" "$out/$file"
  echo "package: $out/$file ($(stat -c %s "$out/$file") bytes)"
done
