#!/usr/bin/env bash
# Takes the screenshot of the maximised main window over a sample folder:
# the built program under Xvfb with a window manager that maximises it.
# Needs a build in build/ (./scripts/run.sh or cmake makes one).
set -euo pipefail
cd "$(dirname "$0")/.."
out="$(realpath -m "${1:-docs/screenshots/main-window-maximised.png}")"
folder="$(mktemp -d)"
trap 'rm -rf "$folder"' EXIT
./scripts/make-sample.sh "$folder"
xvfb-run -a -s "-screen 0 1920x1080x24" bash -c '
  openbox & wm=$!
  sleep 1
  build/app/quillory "$1" & app=$!
  sleep 3
  wmctrl -r "TarvelloNet-Mp3 Tag Editor" -b add,maximized_vert,maximized_horz
  sleep 2
  import -window root "$2"
  kill "$app" "$wm"' screenshot "$folder" "$out"
echo "$out"
