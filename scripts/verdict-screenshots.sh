#!/usr/bin/env bash
# Remakes the screenshots of the state window (on the sample deposit) and of
# the error list (on a deposit that breaks the rules) under a private Xvfb
# with a window manager, from an existing build: docs/state-window.png and
# docs/error-list.png.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
PREVIEW=$BUILD_DIR/bin/vk7_verdict_windows_preview
[ -x "$PREVIEW" ] || { echo "Falta $PREVIEW: compile primero (cmake --build $BUILD_DIR)" >&2; exit 2; }
for tool in Xvfb openbox; do
  command -v "$tool" >/dev/null || { echo "Falta $tool (bash scripts/setup-debian.sh)" >&2; exit 2; }
done

work=$(mktemp -d)
xpid=""; wmpid=""
cleanup() {
  [ -n "$wmpid" ] && kill "$wmpid" 2>/dev/null || true
  [ -n "$xpid" ] && kill "$xpid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number on fd 3.
Xvfb -displayfd 3 -screen 0 1280x1000x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xpid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb no arrancó:" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(cat "$work/display")"
openbox >"$work/openbox.log" 2>&1 &
wmpid=$!
sleep 1

shoot() { # WINDOW FILE DEPOSIT FINGERPRINT
  rm -f "$2"
  QT_QPA_PLATFORM=xcb "$PREVIEW" --window "$1" --screenshot "$2" "$3" "$4" || true
  [ -s "$2" ] || { echo "No se hizo $2" >&2; exit 1; }
  echo "$2"
}
shoot estado docs/state-window.png examples/sample-deposit "$(cat examples/sample-deposit.fingerprint)"
shoot errores docs/error-list.png app/tests/cases/rules-broken/deposit \
  "$(sed -n 's/.*"fingerprint": *"\([^"]*\)".*/\1/p' app/tests/cases/rules-broken/case.json)"
