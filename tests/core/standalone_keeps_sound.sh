#!/usr/bin/env bash
# The sound survives every way of stopping the stand-alone application: the
# window's close request, SIGTERM and SIGINT. Each round switches the brass
# section on with the mouse, stops the application, starts it again on the
# same home folder and checks that the brass switch shows its "on" picture,
# pixel for pixel (which also shows that the licence text of the first start
# does not come back).
#   standalone_keeps_sound.sh SOURCE_DIR BUILD_DIR APP
set -euo pipefail

src=$1 build=$2 app=$3
session=("$src/tools/window/session" --build "$build" --app "$app")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The switch's third frame is its "on" picture; it is drawn unscaled.
convert "$src/resources/pictures/push_brass.png" -crop 52x86+0+172 +repage "$work/on.png"
brass=(288 223 52 86)

shows_brass_on() {
  local differing
  differing=$(compare -metric AE "$1" "$work/on.png" null: 2>&1) || true
  [[ $differing == 0 ]]
}

for stop in close "signal TERM" "signal INT"; do
  home="$work/home-${stop// /-}"
  out="$work/${stop// /-}"

  # shellcheck disable=SC2086  # $stop is an action and its argument
  # A fresh home is a first start: the licence text covers the panel until
  # its CLOSE button is pressed.
  "${session[@]}" --home "$home" --out "$out" click 1260 680 wait 400 \
    shot before "${brass[@]}" click 314 266 wait 300 shot played "${brass[@]}" $stop >/dev/null
  if shows_brass_on "$out/before.png" || ! shows_brass_on "$out/played.png"; then
    echo "$stop: the click did not switch the brass section on"; exit 1
  fi
  if ! grep -q 'name="filterState"' "$home/.config/VorsanTembrolin.settings" 2>/dev/null; then
    echo "$stop: no sound saved in the settings file"; exit 1
  fi

  "${session[@]}" --home "$home" --out "$out" shot restored "${brass[@]}" close >/dev/null
  if ! shows_brass_on "$out/restored.png"; then
    echo "$stop: the restarted application does not show the brass section on"; exit 1
  fi
  echo "$stop: sound saved and restored"
done
