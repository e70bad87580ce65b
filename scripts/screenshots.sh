#!/usr/bin/env bash
# Remakes the screenshots in docs/ from the real program under Xvfb: the
# state window and the main window with the sample deposit open, then each
# window listed in SHOTS below, reached by the keys given there. To add a
# window, add a line.
# Usage: bash scripts/screenshots.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
vk7=$build/bin/vk7
[ -x "$vk7" ] || { echo "Falta $vk7: compile primero (cmake --build $build)"; exit 1; }
for tool in Xvfb openbox xdotool xprop import; do
  command -v "$tool" >/dev/null || { echo "Falta $tool: bash scripts/setup-debian.sh"; exit 1; }
done

# file name | title of the window to capture | keys sent to the main window
# first | keys that close it again (default: Escape) | keys sent to the
# window once it shows. The Open command closes the deposit: the windows on
# its documents come first.
SHOTS=(
  "document-images.png|Tratamiento de Imágenes de la Memoria del Depósito Digital|alt+e i m||Down alt+v"
  "document-text.png|Memoria del Depósito Digital|alt+e t m"
  "open-dialog.png|Abrir un Depósito Digital|ctrl+a"
  "about-box.png|Acerca de VK7|alt+a Return"
  "printer-setup.png|Imprimir|alt+f i"
  "browse-dialog.png|Buscar la situación del FICHERO.TXT|ctrl+a alt+b|Escape Escape"
)

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
# The window manager is ready once it has announced itself on the root window.
wm=""
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTED 2>/dev/null | grep -q _NET_ACTIVE_WINDOW && { wm=ok; break; }
  sleep 0.1
done
[ -n "$wm" ] || { echo "openbox no arranca"; exit 1; }

wait_window() { # title -> window id
  local id=""
  for _ in $(seq 300); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -n1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  echo "No aparece la ventana \"$1\"" >&2
  return 1
}

sample=examples/sample-deposit
mkdir -p docs
"$vk7" --root "$work/c" --drive-a "$PWD/$sample" "$sample" "$(cat "$sample.fingerprint")" >"$work/vk7.log" 2>&1 &
pids+=($!)
main=$(wait_window "Velmora - EUROS")
# The Open ends in the state window over the main window; Salir closes it.
state=$(wait_window "Estado del Depósito Digital")
sleep 0.8
import -frame -window "$state" docs/state-window.png
echo "docs/state-window.png"
xdotool windowactivate --sync "$state" key --clearmodifiers alt+s
sleep 1.5
import -frame -window "$main" docs/main-window.png
echo "docs/main-window.png"

for shot in "${SHOTS[@]}"; do
  IFS='|' read -r file title keys close inside <<<"$shot"
  xdotool windowactivate --sync "$main" key --clearmodifiers --delay 300 $keys
  window=$(wait_window "$title")
  [ -z "$inside" ] || xdotool windowactivate --sync "$window" key --clearmodifiers --delay 300 $inside
  sleep 0.8
  import -frame -window "$window" "docs/$file"
  echo "docs/$file"
  xdotool key --delay 300 ${close:-Escape}
  sleep 0.5
done
