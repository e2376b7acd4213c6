#!/usr/bin/env bash
# Makes photo trees of 1,000, 10,000 and 100,000 files (hard links to one
# photo, 200 to a folder), then runs library_bench on each under the build's
# Wine session: a first run on an empty index, a second run with nothing
# changed, and a third after one photo was added to one folder. Beside it,
# find over the same tree. Figures only; nothing here passes or fails.
#   bench/run_library_bench.sh <build dir>    (after building library_bench)
set -euo pipefail
build=$(cd "${1:?build dir}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
work=$build/library-bench
bench=$build/bench/library_bench.exe
[[ -x $bench ]] || { echo "build library_bench first" >&2; exit 2; }
mkdir -p "$work"
sample=$root/samples/photos/sunset_by_Aitzol_Berasategi.jpg

make_tree() {  # folder, number of files
  [[ -f $1.done ]] && return 0
  rm -rf "$1"
  python3 - "$1" "$2" "$sample" <<'PY'
import os, shutil, sys
root, count, sample = sys.argv[1], int(sys.argv[2]), sys.argv[3]
# A file takes at most 65,000 links here: one copy of the photo per 50,000.
for n in range(count):
    folder = os.path.join(root, f"g{n // 4000}", f"f{n // 200}")
    source = f"{root}.source{n // 50000}.jpg"  # beside the tree, not in it
    if n % 50000 == 0:
        shutil.copyfile(sample, source)
    if n % 200 == 0:
        os.makedirs(folder)
    os.link(source, os.path.join(folder, f"p{n % 200}.jpg"))
PY
  touch "$1.done"
}

harness=$work/harness
bash "$root/tests/harness/session.sh" start "$harness" "$build/wineprefix" >/dev/null
trap 'bash "$root/tests/harness/session.sh" stop "$harness"' EXIT
# shellcheck disable=SC1091
source "$harness/env"
wine="$root/tests/harness/wine.sh"
winpath() { echo "Z:${1//\//\\}"; }

for count in 1000 10000 100000; do
  tree=$work/tree$count
  make_tree "$tree" "$count"
  index=$work/library$count.db
  rm -f "$index" "$index-wal" "$index-shm"
  start=$(date +%s%N)
  find "$tree" -type f | wc -l >/dev/null
  echo "== $count photos: find $(( ($(date +%s%N) - start) / 1000000 )) ms"
  for run in first second third; do
    [[ $run == third ]] && ln -f "$sample" "$tree/g0/f0/added.jpg"
    echo "-- $run run"
    "$wine" "$bench" "$(winpath "$index")" "$(winpath "$tree")" 2>/dev/null
    echo "index-size KB $(( $(stat -c %s "$index") / 1024 ))"
  done
  rm -f "$tree/g0/f0/added.jpg"
done
