#!/usr/bin/env bash
# ./x demo: Kestrel's link and the client stand-in go through a scripted call on a private
# session bus; everything that crossed the bus is printed.
set -euo pipefail
BUILD=$1
ROOT=$(cd "$(dirname "$0")/.." && pwd)
exec dbus-run-session -- bash -c '
  set -e
  BUILD='"$BUILD"'
  ROOT='"$ROOT"'
  LOG=$(mktemp)
  trap "rm -f $LOG" EXIT
  "$BUILD/tools/skypesim/skypesim" --scenario "$ROOT/tools/demo/call.scn" --log "$LOG" >/dev/null 2>&1 &
  SIM=$!
  sleep 0.3
  echo "== Kestrel side (events posted by the link)"
  "$BUILD/tools/linkdemo/kestrel-linkdemo"
  kill $SIM 2>/dev/null || true
  wait $SIM 2>/dev/null || true
  echo
  echo "== Client side (commands received, notifications sent, audio)"
  grep -E "^(ATTACH|RECV|SENT|AUDIO|DO)" "$LOG" | sed "s/^/  /"
'
