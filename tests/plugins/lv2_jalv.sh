#!/usr/bin/env bash
# A third-party LV2 host: jalv loads the plug-in on a private JACK server
# (dummy back end), its ports appear, and a key held on its MIDI input
# sounds at the key's pitch on its outputs.
#   lv2_jalv.sh PATH/TO/VorsanTembrolin.lv2 PATH/TO/wav-pitch
set -euo pipefail

bundle=$(cd "$1" && pwd)
wav_pitch=$2
uri="https://www.vorsan.example/plugins/VorsanTembrolin"
work=$(mktemp -d)
source "$(dirname "$0")/jack_session.sh"
jalv_pid=""
cleanup() {
  set +e
  exec 3>&-
  if [[ -n "$jalv_pid" ]]; then kill "$jalv_pid" 2>/dev/null; wait "$jalv_pid" 2>/dev/null; fi
  stop_jack
  rm -rf "$work"
}
trap cleanup EXIT

# Only this build's bundle and the core LV2 bundles, never an installed copy.
export LV2_PATH="$(dirname "$bundle"):/usr/lib/lv2"
export HOME="$work"

start_jack jalv
# jalv reads commands from its standard input and quits at its end: give it
# a pipe that this script holds open until it ends.
mkfifo "$work/jalv.in"
jalv -x -n vorsan-jalv "$uri" <"$work/jalv.in" >"$work/jalv.log" 2>&1 &
jalv_pid=$!
exec 3>"$work/jalv.in"

wait_for_port vorsan-jalv:audio_out_1 20 || { cat "$work/jalv.log"; exit 1; }
ports=$(jack_lsp -t vorsan-jalv)
echo "$ports"

# Its MIDI input and two audio outputs.
midi_in=$(jack_lsp -t | awk '/^vorsan-jalv:/ { port=$0; next } /midi/ && port { print port } { port="" }' | head -n 1)
audio_out=$(jack_lsp vorsan-jalv | grep -c ":audio_out_[12]$" || true)
if [[ -z "$midi_in" ]]; then echo "jalv shows no MIDI port"; exit 1; fi
if (( audio_out != 2 )); then echo "jalv shows $audio_out audio outputs, not 2"; exit 1; fi

play_and_record "$midi_in" vorsan-jalv:audio_out_1 69 "$work/jalv.wav"
"$wav_pitch" "$work/jalv.wav" 69
