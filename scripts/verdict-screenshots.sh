#!/usr/bin/env bash
# Remakes the screenshot of the error list, docs/error-list.png, on a
# deposit that breaks the rules (the sample breaks none, so the desktop's
# scripts/screenshots.sh cannot reach it), under a private Xvfb with a
# window manager, from an existing build.
# Usage: bash scripts/verdict-screenshots.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
preview=$build/bin/vk7_verdict_windows_preview
[ -x "$preview" ] || { echo "Falta $preview: compile primero (cmake --build $build)"; exit 1; }
for tool in Xvfb openbox xdotool xprop import; do
  command -v "$tool" >/dev/null || { echo "Falta $tool: bash scripts/setup-debian.sh"; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display itself and names it once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
display=""
for _ in $(seq 100); do
  display=$(cat "$work/display" 2>/dev/null || true)
  [ -n "$display" ] && break
  sleep 0.1
done
[ -n "$display" ] || { echo "Xvfb no arranca"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$display" HOME="$work/home" TMPDIR="$work/tmp" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME" "$TMPDIR" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
openbox >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTED 2>/dev/null | grep -q _NET_ACTIVE_WINDOW && break
  sleep 0.1
done

case=app/tests/cases/rules-broken
fingerprint=$(sed -n 's/.*"fingerprint": *"\([^"]*\)".*/\1/p' "$case/case.json")
"$preview" --window errores "$case/deposit" "$fingerprint" >"$work/preview.log" 2>&1 &
pids+=($!)
window=""
for _ in $(seq 300); do
  window=$(xdotool search --onlyvisible --name '^Lista de Errores$' 2>/dev/null | tail -n1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "No aparece la ventana \"Lista de Errores\""; cat "$work/preview.log"; exit 1; }
sleep 0.8
mkdir -p docs
import -frame -window "$window" docs/error-list.png
echo "docs/error-list.png"
xdotool windowactivate --sync "$window" key --clearmodifiers Escape
