#!/usr/bin/env bash
# Makes the benchmark's inputs, then runs photo_bench under the build's Wine
# session and prints its figures beside those of find over the same tree.
#   media/bench/run_photo_bench.sh <build dir>      (after building photo_bench)
set -euo pipefail
build=$(cd "${1:?build dir}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$build/photo-bench
bench=$build/media/photo_bench.exe
[[ -x $bench ]] || { echo "build photo_bench first" >&2; exit 2; }
mkdir -p "$work"

# Photo-like content, not flat colour: a sample photo scaled to each size.
sample=$root/samples/photos/sunset_by_Aitzol_Berasategi.jpg
[[ -f $work/6000x4000.jpg ]] || convert "$sample" -resize '6000x4000!' -quality 90 "$work/6000x4000.jpg"
[[ -f $work/4000x3000.jpg ]] || convert "$sample" -resize '4000x3000!' -quality 90 "$work/4000x3000.jpg"
[[ -f $work/3000x4000.png ]] || convert "$sample" -resize '3000x4000!' "$work/3000x4000.png"

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

winpath() { echo "Z:${1//\//\\}"; }
"$root/tests/harness/wine.sh" "$bench" decode "$(winpath "$work/6000x4000.jpg")" "$(winpath "$work/4000x3000.jpg")" \
  "$(winpath "$work/3000x4000.png")" 2>/dev/null
"$root/tests/harness/wine.sh" "$bench" expand "$(winpath "$tree")" 2>/dev/null
times=()
for _ in 1 2 3 4 5; do
  start=$(date +%s%N)
  find "$tree" -type f >/dev/null
  times+=($(( ($(date +%s%N) - start) / 1000 )))
done
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
printf 'find over the same tree %8.1f ms median of 5\n' "$(echo "${sorted[2]} / 1000" | bc -l)"
