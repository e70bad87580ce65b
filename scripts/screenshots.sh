#!/usr/bin/env bash
# Remakes the screenshots in docs/ from the real program under Xvfb: the
# state window and the main window with the sample deposit open, then each
# window listed in SHOTS below, reached by the keys given there (to add a
# window, add a line), and last the error list on a deposit with errors.
# docs/form-page1.png is the form view's test's picture and
# docs/installed-from-menu.png that of scripts/package-install-check.sh.
# With a SCALE (QT_SCALE_FACTOR, as a clerk who needs larger text sets it),
# the same windows are taken at that scale into docs/large-text/, named
# alike: `bash scripts/screenshots.sh build 2` makes those at 200 %.
# Usage: bash scripts/screenshots.sh [BUILD_DIR] [SCALE]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
scale=${2:-}
shots=docs
screen=1280x900
if [ -n "$scale" ]; then
  shots=docs/large-text
  screen=$(awk -v s="$scale" 'BEGIN { printf "%dx%d", 1280 * s, 900 * s }')
fi
vk7=$build/bin/vk7
[ -x "$vk7" ] || { echo "Falta $vk7: compile primero (cmake --build $build)"; exit 1; }
command -v import >/dev/null || { echo "Falta import: bash scripts/setup-debian.sh"; exit 1; }

# file name | title of the window to capture | keys sent to the main window
# first | keys that close it again (default: Escape) | keys sent to the
# window once it shows. The Open command closes the deposit: the windows on
# its documents come first.
SHOTS=(
  "document-images.png|Tratamiento de Imágenes de la Memoria del Depósito Digital|alt+e i m||Down alt+v"
  "document-text.png|Memoria del Depósito Digital|alt+e t m"
  "open-dialog.png|Abrir un Depósito Digital|ctrl+a"
  "about-box.png|Acerca de VK7|alt+a Return"
  "printer-setup.png|Configurar Impresora|alt+f i"
  "browse-dialog.png|Buscar la situación del FICHERO.TXT|ctrl+a alt+b|Escape Escape"
  "reception-register.png|Registro de Recepciones|alt+f g"
  "reception-report.png|Informe de Recepciones|alt+f n"
)

source scripts/xsession.sh
xsession_start "$screen" || exit 1
[ -z "$scale" ] || export QT_SCALE_FACTOR="$scale"

sample=examples/sample-deposit
mkdir -p "$shots"
# The deposit opened at start is a copy: a location on drive A:'s folder
# would be a diskette, with its prompt.
cp -r "$sample" "$work/deposito"
"$vk7" --root "$work/c" --drive-a "$PWD/$sample" "$work/deposito" "$(cat "$sample.fingerprint")" >"$work/vk7.log" 2>&1 &
XSESSION_PIDS+=($!)
main=$(xsession_wait_window "Velmora - EUROS")
# The Open ends in the state window over the main window; Salir closes it.
state=$(xsession_wait_window "Estado del Depósito Digital")
sleep 0.8
import -frame -window "$state" "$shots/state-window.png"
echo "$shots/state-window.png"
xdotool windowactivate --sync "$state" key --clearmodifiers alt+s
sleep 1.5
import -frame -window "$main" "$shots/main-window.png"
echo "$shots/main-window.png"

for shot in "${SHOTS[@]}"; do
  IFS='|' read -r file title keys close inside <<<"$shot"
  xdotool windowactivate --sync "$main" key --clearmodifiers --delay 300 $keys
  window=$(xsession_wait_window "$title")
  [ -z "$inside" ] || xdotool windowactivate --sync "$window" key --clearmodifiers --delay 300 $inside
  sleep 0.8
  import -frame -window "$window" "$shots/$file"
  echo "$shots/$file"
  xdotool key --delay 300 ${close:-Escape}
  sleep 0.5
done

# The error list, on a deposit that breaks the rules (the sample breaks
# none), opened through the Open dialog as a clerk types it; its warning of
# suspicious files and the state window are answered first.
case=app/tests/cases/rules-broken
fingerprint=$(sed -n 's/.*"fingerprint": *"\([^"]*\)".*/\1/p' "$case/case.json")
xdotool windowactivate --sync "$main" key --clearmodifiers ctrl+a
open=$(xsession_wait_window "Abrir un Depósito Digital")
xdotool windowactivate --sync "$open" key --clearmodifiers ctrl+a
xdotool type --delay 10 "$PWD/$case/deposit/FICHERO.TXT"
xdotool key --clearmodifiers Tab Tab
xdotool type --delay 10 "$fingerprint"
xdotool key --clearmodifiers Return
warning=$(xsession_wait_window "AVISO")
xdotool windowactivate --sync "$warning" key --clearmodifiers Return
state=$(xsession_wait_window "Estado del Depósito Digital")
xdotool windowactivate --sync "$state" key --clearmodifiers alt+s
sleep 0.5
xdotool windowactivate --sync "$main" key --clearmodifiers ctrl+r
errors=$(xsession_wait_window "Lista de Errores")
sleep 0.8
import -frame -window "$errors" "$shots/error-list.png"
echo "$shots/error-list.png"
xdotool key Escape
