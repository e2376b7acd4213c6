#!/usr/bin/env bash
# Installs everything the build and the three test tiers need on a bare Debian 12
# machine. Idempotent: when every package is already present it only checks and exits.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ make pkg-config
  ccache  # third-party libraries are compiled once per machine
  mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  googletest libgtest-dev
  # running Windows code
  wine wine64 wine32:i386 libwine:i386
  # Direct3D under Wine draws through Mesa's software OpenGL, for both word sizes
  libgl1 libgl1-mesa-dri libglx-mesa0 libgl1:i386 libgl1-mesa-dri:i386 libglx-mesa0:i386
  # the end-to-end harness
  xvfb xauth x11-utils x11-xserver-utils xdotool imagemagick
  xserver-xephyr pulseaudio pulseaudio-utils sox libsox-fmt-mp3 libimage-exiftool-perl
  # Wine's MCI decodes music through GStreamer: WAV, MP3 and Ogg need the base
  # and good plugins of the word size of the program that plays
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-base:i386 gstreamer1.0-plugins-good:i386
  python3 python3-pytest python3-numpy procps bc
  # Wine's own dialog fonts, so dialogs are measured as Windows users see them
  fonts-wine
  # the release: installers and the zip
  nsis zip
)

# --- JPEG decoding: libjpeg-turbo is built from Debian's own source package ---
packages+=(
  dpkg-dev nasm        # apt-get source unpacks with dpkg-source; the SIMD code is NASM
  libjpeg-turbo-progs  # djpeg, the photo benchmark's yardstick
  tcl                  # SQLite's source makes its single-file amalgamation with tclsh
  clang libclang-rt-14-dev  # libFuzzer with AddressSanitizer for the EXIF reader
)
jpeg_source_cache=/var/cache/brindora/src
# --- end of JPEG decoding block ---

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$p" 2>/dev/null || true)
  [[ "$status" == ii* ]] || missing+=("$p")
done

# --- JPEG decoding: libjpeg-turbo's source, fetched once into a shared cache ---
have_jpeg_source() { compgen -G "$jpeg_source_cache/libjpeg-turbo-*/CMakeLists.txt" >/dev/null; }

# Source packages from the very archive this machine installs from: every
# "deb" entry of its apt sources (deb822 or one-line) gets a "deb-src" twin.
enable_source_packages() {
  local d=/etc/apt/sources.list.d
  # Already there (by hand, or by an earlier run): nothing to add.
  if grep -Eqs '^[[:space:]]*(Types:.*[[:space:]]deb-src|deb-src[[:space:]])' /etc/apt/sources.list "$d"/*.list \
    "$d"/*.sources; then
    return 0
  fi
  if compgen -G "$d/*.sources" >/dev/null; then
    local f
    for f in "$d"/*.sources; do
      [[ $f == "$d/brindora-deb-src.sources" ]] && continue
      awk 'BEGIN { RS = ""; ORS = "" }
           { n = split($0, line, "\n"); out = ""; binary = 0
             for (i = 1; i <= n; i++) {
               if (line[i] ~ /^#/) continue
               if (line[i] ~ /^Types:/) {
                 if (line[i] ~ /[ \t]deb([ \t]|$)/) binary = 1
                 out = out "Types: deb-src\n"; continue
               }
               out = out line[i] "\n"
             }
             if (binary) print out "\n" }' "$f"
    done >"$d/brindora-deb-src.sources"
  fi
  if [[ -f /etc/apt/sources.list ]]; then
    sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' /etc/apt/sources.list >"$d/brindora-deb-src.list"
  fi
}

fetch_jpeg_source() {
  have_jpeg_source && return 0
  if [[ $(id -u) -ne 0 ]]; then
    echo "bootstrap: libjpeg-turbo source missing from $jpeg_source_cache; run this script as root" >&2
    exit 1
  fi
  echo "bootstrap: fetching libjpeg-turbo's Debian source package"
  enable_source_packages
  apt-get update -q
  mkdir -p "$jpeg_source_cache"
  (cd "$jpeg_source_cache" && apt-get source -q libjpeg-turbo)
  have_jpeg_source
}
# --- end of JPEG decoding block ---

# --- The library index: SQLite's source, fetched into the same cache ---
have_sqlite_source() { compgen -G "$jpeg_source_cache/sqlite3-*/tool/mksqlite3c.tcl" >/dev/null; }

fetch_sqlite_source() {
  have_sqlite_source && return 0
  if [[ $(id -u) -ne 0 ]]; then
    echo "bootstrap: SQLite source missing from $jpeg_source_cache; run this script as root" >&2
    exit 1
  fi
  echo "bootstrap: fetching SQLite's Debian source package"
  enable_source_packages
  apt-get update -q
  mkdir -p "$jpeg_source_cache"
  (cd "$jpeg_source_cache" && apt-get source -q sqlite3)
  have_sqlite_source
}
# The single-file amalgamation depends on nothing but the source, so it is made
# once here, beside the source, rather than again in every build tree.
sqlite_amalgamation_missing() {
  local source
  for source in "$jpeg_source_cache"/sqlite3-*/; do
    [[ -f $source/tool/mksqlite3c.tcl && ! -f ${source%/}-amalgamation/sqlite3.c ]] && return 0
  done
  return 1
}

make_sqlite_amalgamation() {
  sqlite_amalgamation_missing || return 0
  if [[ $(id -u) -ne 0 ]]; then
    echo "bootstrap: SQLite's amalgamation missing from $jpeg_source_cache; run this script as root" >&2
    exit 1
  fi
  local source work
  for source in "$jpeg_source_cache"/sqlite3-*/; do
    source=${source%/}
    [[ -f $source/tool/mksqlite3c.tcl && ! -f $source-amalgamation/sqlite3.c ]] || continue
    echo "bootstrap: making SQLite's single-file amalgamation from $source"
    work=$(mktemp -d)
    (cd "$work" && CC=cc sh "$source/configure" --disable-tcl --disable-readline --disable-load-extension \
      >configure.log 2>&1 && make sqlite3.c >make.log 2>&1) || {
      echo "bootstrap: making SQLite's amalgamation failed; see $work" >&2
      exit 1
    }
    mkdir -p "$source-amalgamation.new"
    cp "$work/sqlite3.c" "$work/sqlite3.h" "$source-amalgamation.new/"
    mv "$source-amalgamation.new" "$source-amalgamation"
    rm -rf "$work"
  done
}
# --- end of the library index block ---

if ((${#missing[@]} == 0)); then
  fetch_jpeg_source
  fetch_sqlite_source
  make_sqlite_amalgamation
  echo "bootstrap: everything is installed"
  exit 0
fi

if [[ $(id -u) -ne 0 ]]; then
  echo "bootstrap: missing packages: ${missing[*]}" >&2
  echo "bootstrap: run this script as root to install them" >&2
  exit 1
fi

echo "bootstrap: installing ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
fetch_jpeg_source
fetch_sqlite_source
make_sqlite_amalgamation
echo "bootstrap: done"
