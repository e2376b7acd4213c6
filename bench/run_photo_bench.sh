#!/usr/bin/env bash
# Makes the benchmark's inputs, then runs photo_bench under the build's Wine
# session and prints its figures beside djpeg's on the same files, and beside
# find over the same tree. Figures only; nothing here passes or fails.
#   bench/run_photo_bench.sh <build dir> [photo_bench.exe]
# (after building photo_bench). A second program, such as an earlier build's
# photo_bench, is measured instead for the decode tables only, so that two
# builds compare in one session. PHOTO_BENCH_EDGES lists the surfaces
# (1024 2048 4096); PHOTO_BENCH_GDIPLUS=1 adds GDI+ alone.
set -euo pipefail
build=$(cd "${1:?build dir}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
work=$build/photo-bench
other=${2:-}
bench=${other:-$build/bench/photo_bench.exe}
[[ -x $bench ]] || { echo "build photo_bench first" >&2; exit 2; }
gdiplus_too=${PHOTO_BENCH_GDIPLUS:+yes}
command -v djpeg >/dev/null || { echo "djpeg is missing: run scripts/bootstrap.sh" >&2; exit 2; }
mkdir -p "$work"

# Photo-like content, not flat colour: a sample photo scaled to each size.
sample=$root/samples/photos/sunset_by_Aitzol_Berasategi.jpg
[[ -f $work/6000x4000.jpg ]] || convert "$sample" -resize '6000x4000!' -quality 90 "$work/6000x4000.jpg"
[[ -f $work/4000x3000.jpg ]] || convert "$sample" -resize '4000x3000!' -quality 90 "$work/4000x3000.jpg"
[[ -f $work/3000x4000.png ]] || convert "$sample" -resize '3000x4000!' "$work/3000x4000.png"
[[ -f $work/4000x3000.tif ]] || convert "$sample" -resize '4000x3000!' -compress lzw "$work/4000x3000.tif"
# 192 MP is beyond ImageMagick's resource limits here: each pixel of the
# 4000 x 3000 picture becomes a 4 x 4 block, streamed through cjpeg.
if [[ ! -f $work/16000x12000.jpg ]]; then
  convert "$sample" -resize '4000x3000!' -depth 8 ppm:- | python3 -c '
import sys
src = sys.stdin.buffer
for _ in range(3):
    src.readline()  # P6, size, maximum
out = sys.stdout.buffer
out.write(b"P6\n16000 12000\n255\n")
for _ in range(3000):
    row = src.read(4000 * 3)
    wide = b"".join(row[i:i + 3] * 4 for i in range(0, len(row), 3))
    for _ in range(4):
        out.write(wide)
' | cjpeg -quality 90 >"$work/16000x12000.jpg.part"
  mv "$work/16000x12000.jpg.part" "$work/16000x12000.jpg"
fi

# 20,000 files in 1,000 folders: the top, 10 below it, 99 below each of those
# but the last (989).
tree=$work/tree
if [[ ! -f $work/tree.done ]]; then
  rm -rf "$tree"
  python3 - "$tree" <<'PY'
import os, sys
root = sys.argv[1]
folders = [root] + [os.path.join(root, f"t{t}") for t in range(10)]
folders += [os.path.join(root, f"t{t}", f"f{f:02}") for t in range(10) for f in range(99)]
folders = folders[:1000]
for i, d in enumerate(folders):
    os.makedirs(d, exist_ok=True)
    for n in range(20):
        open(os.path.join(d, f"photo{n:02}.jpg"), "wb").close()
print(len(folders), "folders,", 20 * len(folders), "files")
PY
  touch "$work/tree.done"
fi

harness=$work/harness
bash "$root/tests/harness/session.sh" start "$harness" "$build/wineprefix" >/dev/null
trap 'bash "$root/tests/harness/session.sh" stop "$harness"' EXIT
# shellcheck disable=SC1091
source "$harness/env"

wine="$root/tests/harness/wine.sh"
winpath() { echo "Z:${1//\//\\}"; }

# Median of five runs of a command, in milliseconds.
median_ms() {
  local times=() start
  for _ in 1 2 3 4 5; do
    start=$(date +%s%N)
    "$@" >/dev/null
    times+=($(( ($(date +%s%N) - start) / 1000 )))
  done
  local sorted=($(printf '%s\n' "${times[@]}" | sort -n))
  echo "scale=1; ${sorted[2]} / 1000" | bc -l
}

# djpeg's median per file and scale, measured once for all the tables.
declare -A djpeg_at
djpeg_ms() {
  local key="$1 $2"
  [[ -n ${djpeg_at[$key]:-} ]] || djpeg_at[$key]=$(median_ms djpeg -scale "$2" -outfile /dev/null "$work/$1")
  echo "${djpeg_at[$key]}"
}

# The scale as photo_bench prints it: M/8, or from builds before the finer
# scales the denominator N of 1/N; 0 or - for a file that is not a JPEG.
as_fraction() {
  case $1 in
    */*) echo "$1" ;;
    0 | -) echo - ;;
    *) echo "1/$1" ;;
  esac
}

for edge in ${PHOTO_BENCH_EDGES:-1024 2048 4096}; do
  echo
  echo "decode + fit onto the $edge-pixel staging surface, median of 5 (ms): ours, djpeg at the DCT scale we chose;"
  echo "ratio = ours / djpeg; peak working set of ours${gdiplus_too:+; GDI+ alone (the path before libjpeg-turbo and WIC) and its peak}"
  printf '%-16s %-9s %9s %6s %9s %7s %8s %9s %8s\n' file fit ours scale djpeg ratio "peak MB" \
    "${gdiplus_too:+GDI+}" "${gdiplus_too:+GDI+ MB}"
  # One process per file and path, so that each peak working set is its own.
  for name in 6000x4000.jpg 4000x3000.jpg 16000x12000.jpg 3000x4000.png 4000x3000.tif; do
    ours=$(BRINDORA_STAGING_EDGE=$edge "$wine" "$bench" decode "$(winpath "$work/$name")" 2>/dev/null) || true
    # GDI+ alone takes half a minute a run on 192 MP (and fails in 32 bits).
    gdiplus=
    if [[ -n $gdiplus_too && $name != 16000x12000.jpg ]]; then
      gdiplus=$(BRINDORA_STAGING_EDGE=$edge "$wine" "$bench" gdiplus "$(winpath "$work/$name")" 2>/dev/null) || true
    fi
    peak=$(awk '$1 == "peak" { print $2 }' <<<"$ours")
    gdiplus_peak=$(awk '$1 == "peak" { print $2 }' <<<"$gdiplus")
    while read -r _ fit ms scale _; do
      before=$(awk -v fit="$fit" '$1 == "decode" && $2 == fit { print $3 }' <<<"$gdiplus")
      scale=$(as_fraction "$scale")
      djpeg=- ratio=-
      if [[ $scale != - ]]; then
        djpeg=$(djpeg_ms "$name" "$scale")
        ratio=$(echo "scale=2; $ms / $djpeg" | bc -l)
      fi
      printf '%-16s %-9s %9s %6s %9s %7s %8s %9s %8s\n' "$name" "$fit" "$ms" "$scale" "$djpeg" "$ratio" "$peak" \
        "${gdiplus_too:+${before:--}}" "${gdiplus_too:+${gdiplus_peak:--}}"
    done < <(grep '^decode ' <<<"$ours")
  done
done

# Another build's photo_bench is only set beside ours for the decode.
[[ -z $other ]] || exit 0
echo
saves=$work/saves
rm -rf "$saves" && mkdir -p "$saves"
"$wine" "$bench" save "$(winpath "$saves")" 5000 2>/dev/null
"$wine" "$bench" expand "$(winpath "$tree")" 2>/dev/null
printf 'find over the same tree %8.1f ms median of 5\n' "$(median_ms find "$tree" -type f)"
