#!/usr/bin/env bash
# ./x run: Kestrel beside skypesim, the client stand-in, on a private session bus, for a person to
# try. skypesim reads control lines from this terminal ("incoming 41 alice", "answer 41",
# "finish 41", "chatmsg 77 #alice/$me;1 alice hi", "userstatus AWAY", "quit"; see
# "skypesim --help"). Settings, history and recordings go to build/run-home unless
# KESTREL_RUN_HOME names another folder (use "$HOME" to try it on your own files).
set -euo pipefail
BUILD=$(cd "$1" && pwd)
shift
RUNHOME=${KESTREL_RUN_HOME:-$BUILD/run-home}
if [ "$RUNHOME" != "$HOME" ]; then
  mkdir -p "$RUNHOME/config" "$RUNHOME/data" "$RUNHOME/runtime"
  chmod 700 "$RUNHOME/runtime"
  export HOME=$RUNHOME XDG_CONFIG_HOME=$RUNHOME/config XDG_DATA_HOME=$RUNHOME/data XDG_RUNTIME_DIR=$RUNHOME/runtime
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run: no display; Kestrel runs offscreen (try ./x demo for a recorded call)" >&2
  export QT_QPA_PLATFORM=offscreen
fi
export BUILD
exec dbus-run-session -- bash -c '
  "$BUILD/kestrel" &
  KESTREL=$!
  trap "kill -TERM $KESTREL 2>/dev/null; wait $KESTREL 2>/dev/null" EXIT
  sleep 0.5
  echo "skypesim control mode: type control lines (\"help\" is not one; see skypesim --help), \"quit\" to end."
  "$BUILD/tools/skypesim/skypesim" --window "$@"
' run "$@"
