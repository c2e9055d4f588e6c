#!/usr/bin/env bash
# The application quits within a second of its window being closed while its
# news check is still under way, and saves its record on the way out.
#
# Each round starts a program with a record that makes it check for news at
# once, lets the check run, asks the window to close as a window manager's
# close button does, and times the exit:
#  - the window harness, its news strip asking a local server that trickles
#    a long body (100 bytes every 50 ms): the check is still receiving when
#    the window closes, so it counts as failed and the second server is not
#    asked;
#  - the stand-alone application itself, asking the project's own servers.
#
#   quit_while_news_trickles.sh SOURCE_DIR HARNESS APP CLOSE_WINDOW
set -euo pipefail

src=$1 harness=$2 app=$3 close_window=$4
if [[ -z "${DISPLAY:-}" ]]; then
  exec xvfb-run -a -s "-screen 0 1340x800x24" "$0" "$@"
fi
limit_ms=1000

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Without a window manager nobody creates the atoms of the close request.
"$close_window" --hold &
pids+=($!)

"$src/tools/window/news-server" --trickle 100 50 --repeat 100000 'news ' --seconds 300 \
  --log "$work/requests" >"$work/address" &
pids+=($!)
for _ in $(seq 100); do [[ -s $work/address ]] && break; sleep 0.1; done
address=$(head -n 1 "$work/address")
[[ -n $address ]] || { echo "the news server did not start"; exit 1; }

# The record's three words as "failed starts licence".
record_words() { od -An -v -t d4 "$1" | xargs; }

# round NAME EXPECTED_RECORD PROGRAM [ARGUMENTS...]: an empty EXPECTED_RECORD
# only asks for a whole record that says the licence was shown.
round() {
  local name=$1 expected=$2; shift 2
  local home="$work/home-$name"
  local folder="$home/.config/Vorsan/VorsanTembrolin"
  mkdir -p "$folder"
  # No failures, 99 starts since news (this start checks), licence shown.
  printf '\x00\x00\x00\x00\x63\x00\x00\x00\x01\x00\x00\x00' >"$folder/memory.bin"

  HOME="$home" "$@" >"$work/$name.log" 2>&1 &
  local pid=$!
  pids+=("$pid")

  local window=""
  for _ in $(seq 300); do
    kill -0 "$pid" 2>/dev/null || { echo "$name: ended before its window opened"; cat "$work/$name.log"; exit 1; }
    window=$(xwininfo -root -tree 2>/dev/null | awk '/"VorsanTembrolin": \(/ { print $1; exit }')
    [[ -n $window ]] && break
    sleep 0.05
  done
  [[ -n $window ]] || { echo "$name: no window appeared"; exit 1; }
  sleep 1.5   # the window settles; the check runs meanwhile
  window=$(xwininfo -root -tree 2>/dev/null | awk '/"VorsanTembrolin": \(/ { print $1; exit }')

  local start end
  start=$(date +%s%N)
  # Sent again should the display not take it at once (seen on a busy machine).
  "$close_window" "$window" || "$close_window" "$window" || "$close_window" "$window"
  while kill -0 "$pid" 2>/dev/null; do
    if (( ($(date +%s%N) - start) / 1000000 > 10000 )); then
      echo "$name: still running 10 s after the close request"; kill -9 "$pid"; exit 1
    fi
    sleep 0.005
  done
  end=$(date +%s%N)
  local status=0
  wait "$pid" || status=$?
  local ms=$(( (end - start) / 1000000 ))

  echo "$name: quit $ms ms after the close request (exit status $status)"
  (( status == 0 )) || { cat "$work/$name.log"; exit 1; }
  (( ms < limit_ms )) || { echo "$name: took longer than $limit_ms ms"; exit 1; }

  local words
  words=$(record_words "$folder/memory.bin")
  echo "$name: record $words"
  if [[ -n $expected ]]; then
    [[ $words == "$expected" ]] || { echo "$name: expected the record $expected"; exit 1; }
  else
    [[ $words =~ ^-?[0-9]+\ -?[0-9]+\ 1$ ]] || { echo "$name: expected a whole record with the licence shown"; exit 1; }
  fi
}

# The check was cut short while receiving: one failed request, the next
# start checks again, and the second server was never asked.
round harness "1 100 1" "$harness" "$address" "$address"
requests=$(wc -l <"$work/requests")
(( requests == 1 )) || { echo "harness: the server heard $requests requests, expected 1"; exit 1; }

round standalone "" "$app"
