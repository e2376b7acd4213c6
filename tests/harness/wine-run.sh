#!/usr/bin/env bash
# Runs a Windows program under the test session's Wine (prefix, display, sound)
# and passes its exit code on (77: skipped, the host cannot run its
# architecture). BRINDORA_HARNESS names the session directory.
set -euo pipefail
env_file="${BRINDORA_HARNESS:?BRINDORA_HARNESS is not set: run through ctest}/env"
[[ -f "$env_file" ]] || { echo "no test session at $BRINDORA_HARNESS (setup fixture not run?)" >&2; exit 2; }
# shellcheck disable=SC1090
source "$env_file"
exec "$(dirname "$0")/wine.sh" "$@"
