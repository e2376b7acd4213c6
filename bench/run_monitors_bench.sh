#!/usr/bin/env bash
# The running saver's peak memory and CPU on one monitor and on two (Xephyr
# heads of 1024x768 and 800x600). Figures only.
#   bench/run_monitors_bench.sh <build dir>
set -euo pipefail
build=$(cd "${1:?build dir}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
harness=$build/bench-harness
trap 'bash "$root/tests/harness/session.sh" stop "$harness"' EXIT
bash "$root/tests/harness/session.sh" start "$harness" "$build/bench-wineprefix" >/dev/null
/usr/bin/python3 "$root/bench/monitors_bench.py" --harness "$harness" --scr "$build/BrindoraPro.scr" \
  --work "${BRINDORA_BENCH_WORK:-/tmp/brindora-bench}"
