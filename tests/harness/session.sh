#!/usr/bin/env bash
# Starts and stops the private world the Wine tests run in: an Xvfb display, a
# PulseAudio server with a null sink whose monitor can be recorded, and a
# wineserver on the build's own prefix. Everything started is recorded by
# process id in <dir>/pids and stopped by exactly those ids.
# A guard stops the session when the process that started it (ctest, or the
# script that called start) is gone, so an interrupted run or a ctest run whose
# clean-up never came leaves nothing of ours behind.
#   session.sh start <dir> <prefix>   writes <dir>/env for wine-run.sh and the e2e harness;
#                                     BRINDORA_SCREEN=WxH sizes the display (1280x720)
#   session.sh stop <dir>
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
wine="$here/wine.sh"
cmd=${1:?start|stop}
dir=${2:?harness dir}

stop() {
  if [[ -f "$dir/env" ]]; then
    # shellcheck disable=SC1091
    (source "$dir/env" && "$wine" --server -k >/dev/null 2>&1 && "$wine" --server -w >/dev/null 2>&1)
  fi
  if [[ -f "$dir/pids" ]]; then
    while read -r pid; do
      kill "$pid" 2>/dev/null
    done <"$dir/pids"
    sleep 0.3
    while read -r pid; do
      kill -9 "$pid" 2>/dev/null
    done <"$dir/pids"
    rm -f "$dir/pids"
  fi
  rm -f "$dir/env" "$dir/owner"
}

# Waits for the owner to end; stops the session unless it was stopped, or
# started again by someone else, meanwhile.
guard() {
  local owner=$1 token=$2
  while kill -0 "$owner" 2>/dev/null; do
    sleep 1
    [[ "$(cat "$dir/owner" 2>/dev/null)" == "$token" ]] || exit 0
  done
  [[ "$(cat "$dir/owner" 2>/dev/null)" == "$token" ]] && stop
}

start() {
  local prefix=${1:?prefix dir}
  stop
  mkdir -p "$dir/pulse" "$dir/xdg"
  chmod 700 "$dir/xdg"

  # Xvfb writes the display number it found free once it is ready. The old
  # file goes first: the background start truncates it only later.
  rm -f "$dir/display"
  Xvfb -displayfd 5 -screen 0 "${BRINDORA_SCREEN:-1280x720}x24" -nolisten tcp -noreset 5>"$dir/display" >"$dir/xvfb.log" 2>&1 &
  echo $! >>"$dir/pids"
  local number=""
  for _ in $(seq 100); do
    number=$(head -n1 "$dir/display" 2>/dev/null)
    [[ "$number" =~ ^[0-9]+$ ]] && break
    sleep 0.1
  done
  [[ "$number" =~ ^[0-9]+$ ]] || { echo "Xvfb did not start" >&2; cat "$dir/xvfb.log" >&2; exit 1; }
  local display=":$number"

  local sock="$dir/pulse/native"
  rm -f "$sock"  # a stale socket would look like a server that is up
  XDG_RUNTIME_DIR="$dir/xdg" HOME="$dir/pulse" pulseaudio --daemonize=no --exit-idle-time=-1 -n \
    --use-pid-file=no --system=no \
    --load="module-null-sink sink_name=nullsink" \
    --load="module-native-protocol-unix socket=$sock auth-anonymous=1" \
    >"$dir/pulse.log" 2>&1 &
  echo $! >>"$dir/pids"
  pulse_up() { PULSE_SERVER="unix:$sock" pactl info >/dev/null 2>&1; }
  for _ in $(seq 100); do pulse_up && break; sleep 0.1; done
  pulse_up || { echo "PulseAudio did not start" >&2; cat "$dir/pulse.log" >&2; exit 1; }
  PULSE_SERVER="unix:$sock" pactl set-default-sink nullsink

  cat >"$dir/env" <<ENV
export DISPLAY=$display
export PULSE_SERVER=unix:$sock
export XDG_RUNTIME_DIR=$dir/xdg
export WINEPREFIX=$prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml="
ENV
  # shellcheck disable=SC1091
  source "$dir/env"
  "$here/../../scripts/wine-prefix.sh" "$prefix"
  # Wine's services inherit the output of whoever starts them; start them here,
  # detached, so a test's captured output is never held open by them.
  "$wine" --server -p >/dev/null 2>&1
  "$wine" cmd /c exit 0 >/dev/null 2>&1 </dev/null
  : >"$dir/arches.log"

  local token="$PPID.$$.$RANDOM"
  echo "$token" >"$dir/owner"
  setsid bash "$here/session.sh" guard "$dir" "$PPID" "$token" </dev/null >/dev/null 2>&1 &
  echo "harness: display $display, pulse $sock, prefix $prefix"
}

case "$cmd" in
  start) start "${3:-}" ;;
  stop) stop ;;
  guard) guard "${3:?owner pid}" "${4:?token}" ;;
  *) echo "unknown command $cmd" >&2; exit 2 ;;
esac
