#!/usr/bin/env bash
# Starts the stand-alone application on a (virtual) display, waits for its
# window, asks it to quit as Ctrl-C does and checks that it shut down cleanly
# and stored its state in its settings file.
#   standalone_smoke.sh PATH/TO/VorsanTembrolin
set -euo pipefail

app=$1
if [[ -z "${DISPLAY:-}" ]]; then
  exec xvfb-run -a -s "-screen 0 1340x800x24" "$0" "$@"
fi

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
# A fresh home: the settings file goes there, and no sound card is needed.
export HOME="$home" XDG_CONFIG_HOME="$home/.config"
mkdir -p "$XDG_CONFIG_HOME"

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

kill -INT "$pid"
status=0
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "the application did not quit within 10 s"; kill -9 "$pid"; cat "$home/app.log"; exit 1
fi
wait "$pid" || status=$?
if (( status != 0 )); then
  echo "the application exited with status $status"; cat "$home/app.log"; exit 1
fi

settings="$HOME/.config/VorsanTembrolin.settings"
if ! grep -q 'filterState' "$settings" 2>/dev/null; then
  echo "no saved state in $settings"; ls -la "$HOME/.config" || true; exit 1
fi
echo "started, opened its window and quit cleanly; state saved in $settings"
