#!/usr/bin/env bash
# Runs the built saver on the bundled sample photos and music, from a program
# folder of its own under out/demo (its own settings file; the user's saver and
# settings are never touched).
#   With a usable display: full screen inside a Wine desktop window the user
#   can watch; any key or mouse movement ends it, as in a real saver.
#   Without one: on a private Xvfb, saving screenshots and a short animation
#   to out/demo/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
scr="$root/build/x86/BrindoraPro.scr"
out="$root/out/demo"
program="$out/program"
[[ -f "$scr" ]] || { echo "demo: build the x86 configuration first" >&2; exit 1; }

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
  exec wine explorer "/desktop=BrindoraPro,1280x720" "$program/BrindoraPro.scr" /s
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
wine "$program/BrindoraPro.scr" /s >"$out/wine.log" 2>&1 &
saver=$!
for t in 3 9 15; do
  sleep "$((t == 3 ? 3 : 6))"
  import -window root -depth 8 "$out/screen-${t}s.png"
  echo "demo: out/demo/screen-${t}s.png"
done
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
