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
command -v import >/dev/null || { echo "Falta import: bash scripts/setup-debian.sh"; exit 1; }

source scripts/xsession.sh
xsession_start 1280x900 || exit 1

case=app/tests/cases/rules-broken
fingerprint=$(sed -n 's/.*"fingerprint": *"\([^"]*\)".*/\1/p' "$case/case.json")
"$preview" --window errores "$case/deposit" "$fingerprint" >"$work/preview.log" 2>&1 &
XSESSION_PIDS+=($!)
window=$(xsession_wait_window "Lista de Errores") || { cat "$work/preview.log"; exit 1; }
sleep 0.8
mkdir -p docs
import -frame -window "$window" docs/error-list.png
echo "docs/error-list.png"
xdotool windowactivate --sync "$window" key --clearmodifiers Escape
