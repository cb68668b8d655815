#!/usr/bin/env bash
# ./x demo: Kestrel records a simulated call end to end. A private session bus, Kestrel (offscreen
# when there is no display) and skypesim playing the client with a scripted call whose two sides
# speak; then the MP3 is decoded back and the history entry shown. Everything lives in a folder
# of its own under the build tree, never in the user's home.
set -euo pipefail
BUILD=$(cd "$1" && pwd)
ROOT=$(cd "$(dirname "$0")/.." && pwd)
DEMO=$BUILD/demo
rm -rf "$DEMO"
mkdir -p "$DEMO/home" "$DEMO/config" "$DEMO/data" "$DEMO/runtime" "$DEMO/audio"
chmod 700 "$DEMO/runtime"
export HOME=$DEMO/home XDG_CONFIG_HOME=$DEMO/config XDG_DATA_HOME=$DEMO/data XDG_RUNTIME_DIR=$DEMO/runtime
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  export QT_QPA_PLATFORM=offscreen
fi

# The two sides of the conversation: synthetic speech when espeak-ng and sox are there, tones
# otherwise.
SIDES=(--own-tone 440 --remote-tone 660)
if command -v espeak-ng >/dev/null && command -v sox >/dev/null; then
  espeak-ng -v en -s 150 -w "$DEMO/audio/own-raw.wav" \
    "Hello Alice, this is the Kestrel demo. I am speaking on the left channel, from my microphone." 2>/dev/null
  espeak-ng -v en+f3 -s 150 -w "$DEMO/audio/remote-raw.wav" \
    "Hi! I am Alice, the remote side of the call, and you hear me on the right channel." 2>/dev/null
  sox "$DEMO/audio/own-raw.wav" -r 16000 -c 1 -b 16 "$DEMO/audio/own.wav"
  sox "$DEMO/audio/remote-raw.wav" -r 16000 -c 1 -b 16 "$DEMO/audio/remote.wav"
  SIDES=(--own-wav "$DEMO/audio/own.wav" --remote-wav "$DEMO/audio/remote.wav")
fi

export BUILD ROOT DEMO
exec dbus-run-session -- bash -c '
  set -euo pipefail
  echo "== Kestrel starts (settings and history under $DEMO)"
  "$BUILD/kestrel" 2>"$DEMO/kestrel.log" &
  KESTREL=$!
  for _ in $(seq 100); do [ -e "$XDG_RUNTIME_DIR/KESTREL_CALLRECORDER.lock" ] && break; sleep 0.1; done
  echo "== skypesim plays the client: alice calls, the call is answered, five seconds of talk, hang-up"
  "$BUILD/tools/skypesim/skypesim" "$@" --scenario "$ROOT/tools/demo/call.scn" --log "$DEMO/skypesim.log" >/dev/null
  grep -E "^(ATTACH|RECV alter|AUDIO)" "$DEMO/skypesim.log" | sed "s/^/   client: /"
  # The entry is written once the file is finished.
  for _ in $(seq 100); do grep -q "<rec" "$XDG_DATA_HOME/Morvex/record.xml" 2>/dev/null && break; sleep 0.1; done
  kill -TERM $KESTREL
  wait $KESTREL || true
  MP3=$(ls -t "$HOME/Documents/Morvex/"*.mp3 2>/dev/null | head -n1 || true)
  if [ -z "$MP3" ]; then
    echo "demo: no recording was made" >&2
    exit 1
  fi
  echo "== The recording"
  "$BUILD/tools/demoinfo/kestrel-demoinfo" --mp3 "$MP3" --history "$XDG_DATA_HOME/Morvex/record.xml"
' demo "${SIDES[@]}"
