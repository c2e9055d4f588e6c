# Helpers for the tests that run hosts on a private JACK server; sourced.
# The caller sets `work` (a scratch folder) and calls stop_jack on exit.

# No client ever starts a server of its own, and nothing meets another
# test's server.
export JACK_NO_START_SERVER=1
jack_pid=""

# start_jack NAME: a server with the dummy back end (no sound card; paced in
# real time) at 48000 Hz.
start_jack() {
  export JACK_DEFAULT_SERVER="vorsan-$1-$$"
  jackd --no-realtime -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p 256 >"$work/jackd.log" 2>&1 &
  jack_pid=$!
  for _ in $(seq 1 100); do
    if jack_lsp >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  echo "jackd did not start:"; cat "$work/jackd.log"
  return 1
}

stop_jack() {
  if [[ -n "$jack_pid" ]]; then
    kill "$jack_pid" 2>/dev/null || true
    wait "$jack_pid" 2>/dev/null || true
    jack_pid=""
  fi
}

# wait_for_port PORT SECONDS: waits until the server lists PORT.
wait_for_port() {
  for _ in $(seq 1 $(( $2 * 10 ))); do
    if jack_lsp | grep -Fxq "$1"; then return 0; fi
    sleep 0.1
  done
  echo "no port '$1' after $2 s; the server has:"; jack_lsp
  return 1
}

# play_and_record MIDI_IN AUDIO_OUT NOTE FILE: holds NOTE on MIDI_IN for 3.9 s
# of every 4 s (jack_midiseq, which may miss the first press while being
# connected) and records AUDIO_OUT for 9 s, which holds one whole press.
play_and_record() {
  jack_midiseq vorsan-keys 192000 0 "$3" 187200 >"$work/midiseq.log" 2>&1 &
  local seq_pid=$!
  wait_for_port vorsan-keys:out 10 || { kill "$seq_pid"; return 1; }
  jack_connect vorsan-keys:out "$1"
  local status=0
  jack_rec -f "$4" -d 9 -b 32 "$2" >"$work/rec.log" 2>&1 || status=$?
  kill "$seq_pid" 2>/dev/null || true
  wait "$seq_pid" 2>/dev/null || true
  if (( status != 0 )) || [[ ! -s "$4" ]]; then
    echo "jack_rec failed:"; cat "$work/rec.log"; return 1
  fi
}
