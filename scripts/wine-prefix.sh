#!/usr/bin/env bash
# Creates a private Wine prefix once, quietly: no Mono or Gecko installer, no
# debug chatter, and unmanaged windows so that exits do not wait on a window
# manager Xvfb does not have, and no crash dialog. Later calls return at once.
# Made through the project's Wine launcher, so the same prefix works on hosts
# with and without 32-bit support.
# wineboot takes half a minute, and the tests make a fresh prefix many times:
# the first one booted is kept as a template in the user's cache (shared by
# every clone; BRINDORA_PREFIX_TEMPLATE names another place, empty means none)
# and later prefixes are copies of it, sharing its DLL folders by hard links
# where the file system allows, else copying them. Wine brings a copy up to
# date by itself when Wine itself was updated since.
set -euo pipefail
prefix=${1:?usage: wine-prefix.sh <prefix-dir>}
root=$(cd "$(dirname "$0")/.." && pwd)
wine="$root/tests/harness/wine.sh"
template=${BRINDORA_PREFIX_TEMPLATE-${XDG_CACHE_HOME:-$HOME/.cache}/brindora/wine-prefix-template}
[[ -f "$prefix/.brindora-ready" ]] && exit 0

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="

boot() {
  local made=$1
  rm -rf "$made"
  mkdir -p "$made"
  WINEPREFIX=$made "$wine" wineboot -i >/dev/null 2>&1
  WINEPREFIX=$made "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  # A crashing test must end with a backtrace, not wait on a crash dialog.
  WINEPREFIX=$made "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  WINEPREFIX=$made "$wine" --server -w
  # A prefix that did not come up would fail every test later in confusing ways.
  [[ -f "$made/system.reg" ]] || { echo "wine-prefix: wineboot made no prefix at $made" >&2; exit 1; }
  touch "$made/.brindora-ready"
}

if [[ -z "$template" ]]; then
  boot "$prefix"
  exit 0
fi

mkdir -p "$(dirname "$template")"
(
  flock 9
  [[ -f "$template/.brindora-ready" ]] || boot "$template"
) 9>"$template.lock"
rm -rf "$prefix"
mkdir -p "$prefix"
if ! cp -al "$template/." "$prefix/" 2>/dev/null; then
  # Another file system: a whole copy (never over half-made links, which
  # would write through them into the template).
  rm -rf "$prefix"
  mkdir -p "$prefix"
  cp -a "$template/." "$prefix/"
fi
# Wine's own programs and DLLs stay shared; every other file gets a copy of
# its own, since the registry and the programs under test change files in place.
find "$prefix" -type f ! -path "$prefix/drive_c/windows/system32/*" ! -path "$prefix/drive_c/windows/syswow64/*" \
  ! -iname '*.dll' ! -iname '*.exe' \
  -exec sh -c 'for f; do cp -p "$f" "$f.own" && mv -f "$f.own" "$f"; done' sh {} +
