#!/usr/bin/env bash
# Runs a Windows program under the test session's Wine (prefix, display, sound)
# and passes its exit code on (77: skipped, the host cannot run its
# architecture). BRINDORA_HARNESS names the session directory.
# A program that has not ended after BRINDORA_PROGRAM_LIMIT seconds (240 by
# default, well below ctest's limit) is ended, and the failure names it and
# shows its last lines of output: what it was doing when it hung.
set -euo pipefail
env_file="${BRINDORA_HARNESS:?BRINDORA_HARNESS is not set: run through ctest}/env"
[[ -f "$env_file" ]] || { echo "no test session at $BRINDORA_HARNESS (setup fixture not run?)" >&2; exit 2; }
# shellcheck disable=SC1090
source "$env_file"
limit=${BRINDORA_PROGRAM_LIMIT:-240}
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
SECONDS=0
# The launcher can be replaced to test this watchdog without Wine.
timeout --kill-after=10 "$limit" "${BRINDORA_WINE_LAUNCHER:-$(dirname "$0")/wine.sh}" "$@" 2>&1 | tee "$log" || status=${PIPESTATUS[0]}
# 124: ended by the limit; 137: it also needed the KILL (both only once the
# limit has passed: a KILL from elsewhere is reported as it is).
if ((status == 124 || status == 137)) && ((SECONDS >= limit)); then
  {
    echo
    echo "wine-run: $(basename "$1") did not end within $limit s and was ended; its last lines of output:"
    tail -n 15 "$log" | sed 's/^/  | /'
  } >&2
fi
exit "$status"
