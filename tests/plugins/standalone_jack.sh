#!/usr/bin/env bash
# The stand-alone application on a JACK server: started on a virtual display
# with a private JACK server (dummy back end) and no sound card, it plays
# through JACK by itself; a key held on its JACK MIDI input sounds at the
# key's pitch in a recording of its output.
#   standalone_jack.sh PATH/TO/VorsanTembrolin PATH/TO/wav-pitch
set -euo pipefail

app=$1
wav_pitch=$2
if [[ -z "${DISPLAY:-}" ]]; then
  exec xvfb-run -a -s "-screen 0 1340x800x24" "$0" "$@"
fi

work=$(mktemp -d)
source "$(dirname "$0")/jack_session.sh"
app_pid=""
cleanup() {
  set +e
  if [[ -n "$app_pid" ]]; then kill "$app_pid" 2>/dev/null; wait "$app_pid" 2>/dev/null; fi
  stop_jack
  rm -rf "$work"
}
trap cleanup EXIT

# A fresh home: new settings, so the application chooses its device itself.
export HOME="$work"
mkdir -p "$HOME/.config"

start_jack app
"$app" >"$work/app.log" 2>&1 &
app_pid=$!

wait_for_port "VorsanTembrolin:out_1" 30 || { cat "$work/app.log"; exit 1; }
wait_for_port "VorsanTembrolin MIDI:in" 10 || { cat "$work/app.log"; exit 1; }
jack_lsp -t VorsanTembrolin

play_and_record "VorsanTembrolin MIDI:in" "VorsanTembrolin:out_1" 69 "$work/standalone.wav"
"$wav_pitch" "$work/standalone.wav" 69
