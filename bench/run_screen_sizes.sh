#!/usr/bin/env bash
# The running saver's peak memory and the renderer's slide change at 1920x1080
# and at 3840x2160, each on a private Wine session of that screen size.
# Figures only.
#   bench/run_screen_sizes.sh <build dir>   (BRINDORA_SCREENS="WxH ..." for others)
set -euo pipefail
build=$(cd "${1:?build dir}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
preset=$(basename "$build")
[[ $preset == x86 || $preset == x64 ]] || preset=x64
for screen in ${BRINDORA_SCREENS:-1920x1080 3840x2160}; do
  echo "== screen $screen"
  BRINDORA_SCREEN=$screen BRINDORA_BENCH_PRESET=$preset BRINDORA_BENCH_BUILD=$build \
    "$root/bench/run_saver_bench.sh" --only memory
  BRINDORA_SCREEN=$screen "$root/bench/run_renderer_bench.sh" "$build" | grep -E "^screen|UploadStaging|slide change"
done
