#!/usr/bin/env bash
# The one way this project starts Wine. Debian's /usr/bin/wine (and wineboot,
# winepath) always take the 32-bit loader, which cannot start on a kernel
# without 32-bit support, not even for a 64-bit program. Here each program goes
# to the loader of its own architecture, read from its PE header; Wine's own
# programs (cmd, reg, wineboot, explorer) go to the 64-bit loader, so prefixes
# are made the same way on every host. A 32-bit program on a host that cannot
# run one is refused with exit code 77, which CTest reports as skipped here.
#   wine.sh <program> [args...]   run a Windows program (a file or a Wine builtin)
#   wine.sh --can-run x86|x64     exit 0 when this host runs that architecture,
#                                 else 1, printing why
#   wine.sh --arch <file>         print x86 or x64 for a PE file, nothing otherwise
#   wine.sh --server [args...]    the wineserver (-k, -w, -p ...)
# BRINDORA_NO_32BIT=1 makes any host behave as one without 32-bit support.
# With BRINDORA_HARNESS set, every program started or refused is noted in
# $BRINDORA_HARNESS/arches.log, so a run can say what it exercised.
set -euo pipefail
loader32=/usr/lib/wine/wine
loader64=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver64

# Prints the reason and fails when 32-bit Windows programs cannot run here.
no_32bit_reason() {
  if [[ "${BRINDORA_NO_32BIT:-0}" == 1 ]]; then
    echo "BRINDORA_NO_32BIT=1 asks to behave as a host without 32-bit support"
  elif [[ ! -x $loader32 ]]; then
    echo "32-bit Wine is not installed ($loader32)"
  elif ! "$loader32" --version >/dev/null 2>&1; then
    echo "this kernel cannot run 32-bit Linux programs ($loader32 does not start)"
  else
    return 1
  fi
}

can_run() {
  case "$1" in
    x64)
      [[ -x $loader64 ]] || { echo "64-bit Wine is not installed ($loader64)"; return 1; }
      ;;
    x86)
      if no_32bit_reason; then return 1; fi
      ;;
    *)
      echo "unknown architecture $1"
      return 1
      ;;
  esac
}

# x86 or x64 from the machine field of a PE header; nothing for other files.
pe_arch() {
  local file=$1 offset machine
  [[ -f $file && $(head -c2 "$file" 2>/dev/null) == MZ ]] || return 0
  offset=$(od -An -tu4 -j60 -N4 "$file" | tr -d ' ')
  [[ $offset =~ ^[0-9]+$ ]] || return 0
  [[ $(od -An -c -j"$offset" -N4 "$file" | tr -d ' ') == 'PE\0\0' ]] || return 0
  machine=$(od -An -tx2 -j$((offset + 4)) -N2 "$file" | tr -d ' ')
  case "$machine" in
    014c) echo x86 ;;
    8664) echo x64 ;;
  esac
}

note() {
  [[ -n "${BRINDORA_HARNESS:-}" && -d "${BRINDORA_HARNESS}" ]] || return 0
  echo "$*" >>"$BRINDORA_HARNESS/arches.log"
}

case "${1:-}" in
  "")
    echo "usage: wine.sh <program> [args...] | --can-run x86|x64 | --arch <file> | --server [args...]" >&2
    exit 2
    ;;
  --can-run)
    can_run "${2:?architecture}"
    exit
    ;;
  --arch)
    pe_arch "${2:?file}"
    exit 0
    ;;
  --server)
    shift
    exec "$server" "$@"
    ;;
esac

arch=$(pe_arch "$1")
if [[ $arch == x86 ]]; then
  if reason=$(no_32bit_reason); then
    note "skipped x86: $reason"
    echo "skipped: $(basename "$1") is a 32-bit program and $reason" >&2
    exit 77
  fi
  loader=$loader32
else
  # 64-bit programs and Wine's own builtins.
  loader=$loader64
fi
note "ran ${arch:-builtin}"
[[ -n "${WINEDEBUG:-}" ]] || export WINEDEBUG=-all
export WINELOADER=$loader
exec "$loader" "$@"
