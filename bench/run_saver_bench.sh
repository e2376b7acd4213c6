#!/usr/bin/env bash
# Figures for the running saver under Wine: launch to first photo (one photo
# and a 20,000-file library), frame rate, peak memory with 24-megapixel
# photos, and a soak at SlideTime 0 over 200 photos. Prints a table; asserts
# nothing. Inputs are made at run time under the work folder.
#   bench/run_saver_bench.sh [--soak-seconds N] [--only start,first,fps,memory,soak,sim] [...]
#   BRINDORA_BENCH_PRESET=x86|x64 picks the build (./saver bench: the one this
#   host can run); BRINDORA_BENCH_BUILD=<build dir> uses another build tree.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
preset=${BRINDORA_BENCH_PRESET:-x86}
build=${BRINDORA_BENCH_BUILD:-$root/build/$preset}
if ! reason=$("$root/tests/harness/wine.sh" --can-run "$preset"); then
  echo "bench: cannot run the $preset saver on this host: $reason" >&2
  exit 1
fi

if [[ $build == "$root/build/$preset" ]]; then
  cmake --preset "$preset" >/dev/null
fi
cmake --build "$build" --parallel 2 --target BrindoraPro process_probe slide_clock_sim

harness=$build/bench-harness
# A prefix of its own: a test run on the build's prefix would share its wineserver.
prefix=$build/bench-wineprefix
trap 'bash "$root/tests/harness/session.sh" stop "$harness"' EXIT
bash "$root/tests/harness/session.sh" start "$harness" "$prefix" >/dev/null

/usr/bin/python3 "$root/bench/saver_bench.py" --harness "$harness" --scr "$build/BrindoraPro.scr" \
  --probe "$build/bench/process_probe.exe" --sim "$build/bench/slide_clock_sim.exe" \
  --work "${BRINDORA_BENCH_WORK:-/tmp/brindora-bench}" "$@"
