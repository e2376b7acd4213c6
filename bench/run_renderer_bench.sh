#!/usr/bin/env bash
# Runs renderer_bench full screen on a private Wine session of the screen size
# to measure (BRINDORA_SCREEN, 1280x720 by default). Figures only.
#   bench/run_renderer_bench.sh <build dir>      (after building renderer_bench)
set -euo pipefail
build=$(cd "${1:?build dir}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
bench=$build/bench/renderer_bench.exe
[[ -x $bench ]] || { echo "build renderer_bench first" >&2; exit 2; }
harness=$build/renderer-bench-harness
trap 'bash "$root/tests/harness/session.sh" stop "$harness"' EXIT
bash "$root/tests/harness/session.sh" start "$harness" "$build/bench-wineprefix" >/dev/null
# shellcheck disable=SC1091
source "$harness/env"
"$root/tests/harness/wine.sh" "$bench"
