#!/usr/bin/env bash
# Remakes docs/document-images.png and docs/document-text.png: the image set
# and text page dialogs on the sample deposit, on a display of their own
# (Xvfb with a window manager), after a normal build in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
for tool in Xvfb openbox; do
  command -v "$tool" >/dev/null || { echo "falta $tool (scripts/setup-debian.sh)" >&2; exit 1; }
done
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp &
xvfb=$!
wm=
stop() {
  [ -n "$wm" ] && kill "$wm" 2>/dev/null && wait "$wm" 2>/dev/null
  kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  true
}
trap stop EXIT
sleep 1
DISPLAY=$display openbox &
wm=$!
sleep 1
DISPLAY=$display QT_QPA_PLATFORM=xcb build/bin/vk7_document_screenshots examples/sample-deposit docs
