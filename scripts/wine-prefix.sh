#!/usr/bin/env bash
# Creates a private Wine prefix once, quietly: no Mono or Gecko installer, no
# debug chatter, and unmanaged windows so that exits do not wait on a window
# manager Xvfb does not have, and no crash dialog. Later calls return at once.
# Made through the project's Wine launcher, so the same prefix works on hosts
# with and without 32-bit support.
set -euo pipefail
prefix=${1:?usage: wine-prefix.sh <prefix-dir>}
wine="$(cd "$(dirname "$0")/.." && pwd)/tests/harness/wine.sh"
marker="$prefix/.brindora-ready"
[[ -f "$marker" ]] && exit 0

export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
rm -rf "$prefix"
mkdir -p "$prefix"
"$wine" wineboot -i >/dev/null 2>&1
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
# A crashing test must end with a backtrace, not wait on a crash dialog.
"$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
"$wine" --server -w
# A prefix that did not come up would fail every test later in confusing ways.
[[ -f "$prefix/system.reg" ]] || { echo "wine-prefix: wineboot made no prefix at $prefix" >&2; exit 1; }
touch "$marker"
