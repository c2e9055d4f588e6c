#!/usr/bin/env bash
# Starts the stand-alone application on a (virtual) display, waits for its
# window, asks the window to close as a window manager's close button does,
# and checks that the application quit cleanly and stored its sound in its
# settings file.
#   standalone_smoke.sh PATH/TO/VorsanTembrolin PATH/TO/close-window
set -euo pipefail

app=$1
close_window=$2
if [[ -z "${DISPLAY:-}" ]]; then
  exec xvfb-run -a -s "-screen 0 1340x800x24" "$0" "$@"
fi

home=$(mktemp -d)
"$close_window" --hold &
hold=$!
trap 'kill "$hold" 2>/dev/null || true; rm -rf "$home"' EXIT
sleep 0.2
# A fresh home, so that the settings file is a new one.
export HOME="$home"
mkdir -p "$HOME/.config"

"$app" >"$home/app.log" 2>&1 &
pid=$!

window=""
for _ in $(seq 1 300); do
  if ! kill -0 "$pid" 2>/dev/null; then
    echo "the application exited before opening its window:"; cat "$home/app.log"; exit 1
  fi
  window=$(xwininfo -root -tree 2>/dev/null | grep '"VorsanTembrolin"' || true)
  [[ -n "$window" ]] && break
  sleep 0.1
done
if [[ -z "$window" ]]; then
  echo "no window titled VorsanTembrolin appeared"; kill -9 "$pid"; cat "$home/app.log"; exit 1
fi
echo "window: $window"
sleep 1   # let it settle (device set-up, first paint)

window_id=$(awk '{print $1; exit}' <<<"$window")
"$close_window" "$window_id"
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "the application did not quit within 10 s of the close request"; kill -9 "$pid"; cat "$home/app.log"; exit 1
fi
status=0
wait "$pid" || status=$?
if (( status != 0 )); then
  echo "the application exited with status $status"; cat "$home/app.log"; exit 1
fi

settings="$HOME/.config/VorsanTembrolin.settings"
if ! grep -q 'name="filterState"' "$settings" 2>/dev/null; then
  echo "no saved sound in $settings:"; cat "$settings" || true; exit 1
fi
echo "started, opened its window and quit cleanly; sound saved in $settings"
