#!/usr/bin/env bash
# Runs the built saver on the bundled sample photos and music, from a program
# folder of its own under out/demo (its own settings file; the user's saver and
# settings are never touched).
#   With a usable display: full screen inside a Wine desktop window the user
#   can watch; any key or mouse movement ends it, as in a real saver.
#   Without one: on a private Xvfb, saving screenshots and a short animation
#   to out/demo/; fails when the saver did not start or showed nothing.
#   scripts/demo.sh <build dir>    (./saver demo picks the build this host runs)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/x86}
scr="$build/BrindoraPro.scr"
out="$root/out/demo"
program="$out/program"
wine="$root/tests/harness/wine.sh"
[[ -f "$scr" ]] || { echo "demo: no saver at $scr: build it first" >&2; exit 1; }
if ! reason=$("$wine" --can-run "$("$wine" --arch "$scr")"); then
  echo "demo: $scr cannot run here: $reason" >&2
  exit 1
fi

mkdir -p "$program"
cp "$scr" "$program/"
windows_path() { echo "Z:$(realpath "$1")" | tr / '\\'; }
python3 - "$program/Brindora-Pro.ini" "$(windows_path "$root/samples/photos")" "$(windows_path "$root/samples/music")" <<'PY'
import sys
ini, photos, music = sys.argv[1:4]
text = "\r\n".join([
    "[Photo List]", f"0={photos}", "IncludeSubDir=1", "Random=1",
    "[Music List]", f"0={music}", "IncludeSubDir=1", "Random=0",
    "[Time]", "SlideTime=4000",
    "[ColorEffect]", "0=0", "1=1", "2=2", "3=3", "LessColorEffect=0",
    "[Transition]", "0=0", "1=1", "2=2", "3=3",
    "[Fade]", "0=0", "1=1", "2=2",
    "[Control]", "ExitByEscOnly=0", ""])
open(ini, "wb").write(b"\xff\xfe" + text.encode("utf-16-le"))
PY

if [[ -n "${DISPLAY:-}" ]] && xdpyinfo >/dev/null 2>&1; then
  export WINEPREFIX="$root/build/demo-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
  "$root/scripts/wine-prefix.sh" "$WINEPREFIX"
  echo "demo: running in a window; press a key or move the mouse to end it"
  exec "$wine" explorer "/desktop=BrindoraPro,1280x720" "$program/BrindoraPro.scr" /s
fi

harness="$out/harness"
session="$root/tests/harness/session.sh"
trap '"$session" stop "$harness" >/dev/null 2>&1' EXIT
"$session" start "$harness" "$root/build/demo-prefix" >/dev/null
# shellcheck disable=SC1091
source "$harness/env"

rm -rf "$out/frames" "$out"/*.png "$out"/*.gif
mkdir -p "$out/frames"
xdotool mousemove 640 360
"$wine" "$program/BrindoraPro.scr" /s >"$out/wine.log" 2>&1 &
saver=$!
shown=0
for t in 3 9 15; do
  sleep "$((t == 3 ? 3 : 6))"
  if ! kill -0 "$saver" 2>/dev/null; then
    code=0
    wait "$saver" || code=$?
    echo "demo: the saver did not keep running (exit code $code; see out/demo/wine.log)" >&2
    exit 1
  fi
  import -window root -depth 8 "$out/screen-${t}s.png"
  echo "demo: out/demo/screen-${t}s.png"
  # A photo has many colours; a saver that shows nothing leaves one.
  (($(identify -format %k "$out/screen-${t}s.png") > 1)) && shown=1
done
if ((shown == 0)); then
  kill "$saver" 2>/dev/null || true
  echo "demo: the saver showed no photo (every screenshot is one flat colour; see out/demo/wine.log)" >&2
  exit 1
fi
# A few seconds of the show, five frames a second.
for i in $(seq -w 0 29); do
  import -window root -depth 8 -resize 640x360 "$out/frames/$i.png"
  sleep 0.1
done
xdotool key Escape
wait "$saver" || true
convert -delay 20 -loop 0 "$out"/frames/*.png "$out/show.gif"
rm -rf "$out/frames"
echo "demo: out/demo/show.gif"
