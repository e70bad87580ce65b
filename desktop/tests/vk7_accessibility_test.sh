#!/usr/bin/env bash
# The real vk7 as a screen reader reads it: under Xvfb with a private
# session and accessibility bus, every window (main, Open, state, error list,
# image and text dialogs, about, leave question) is walked through AT-SPI and
# any control that takes the focus without a name fails the test, as does any
# text that answers Orca's word, sentence or line questions wrongly or never; the
# sample's first form page is read back field by field against the values
# vk7check's JSON gives, and "Ver Error" leaves the wrong field focused.
# Windows are opened with keys only. No bus, no test: it fails.
set -euo pipefail
[ -n "${VK7_TEST_TRACE:-}" ] && set -x
vk7=$1
vk7check=$2
sample=$3
broken=$4 # a deposit that breaks rules (its folder holds deposit/ and case.json)
here=$(dirname "$0")
read=(/usr/bin/python3 "$here/atspi_read.py")

source "$here/../../scripts/xsession.sh"
xsession_start 1280x1024 || exit 1
xsession_start_accessibility || exit 1
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

failed=0
# The title of the active window, once it is another than `$1`.
other_window() {
  local title=""
  for _ in $(seq 100); do
    title=$(xdotool getactivewindow getwindowname 2>/dev/null || true)
    [ -n "$title" ] && [ "$title" != "$1" ] && { echo "$title"; return 0; }
    sleep 0.1
  done
  echo "No se abre otra ventana que \"$1\"" >&2
  return 1
}

fingerprint=$(cat "$sample.fingerprint")
QT_QPA_PLATFORM=offscreen "$vk7check" --root "$work/check" --json --sin-textos "$sample" \
  "$fingerprint" >"$work/sample.json"
"$vk7" --root "$work/c" "$sample" "$fingerprint" >"$work/vk7.log" 2>&1 &
XSESSION_PIDS+=($!)
main="Velmora - EUROS"
state="Estado del Depósito Digital"

xsession_wait_window "$state" >/dev/null || { cat "$work/vk7.log"; exit 1; }
xsession_check "ventana de estado" "${read[@]}" unnamed "$state"
xsession_keys "$state" alt+s && xsession_window_gone "$state"
xsession_wait_window "$main" >/dev/null
xsession_check "ventana principal" "${read[@]}" unnamed "$main"
xsession_check "la primera página del formulario, campo a campo" "${read[@]}" form "$work/sample.json"

# Edición > Imágenes > Memoria, and Edición > Texto > Memoria.
for path in "alt+e i m" "alt+e t m"; do
  xsession_keys "$main" $path
  title=$(other_window "$main")
  xsession_check "diálogo \"$title\"" "${read[@]}" unnamed "$title"
  xsession_keys "$title" Escape && xsession_window_gone "$title"
done

xsession_keys "$main" alt+a a
xsession_check "Acerca de" "${read[@]}" unnamed "Acerca de VK7"
xsession_keys "Acerca de VK7" Escape && xsession_window_gone "Acerca de VK7"

# The Open dialog, left with Escape (which leaves no deposit open).
xsession_keys "$main" ctrl+a
# A path of words and two sentences in its first field, asked for its pieces
# up to its end and beyond: that question once kept the program busy forever.
xsession_keys "Abrir un Depósito Digital" ctrl+a
xdotool type --delay 20 'A:\FICHERO.TXT no existe. Otra frase'
xsession_check "diálogo Abrir" "${read[@]}" unnamed "Abrir un Depósito Digital"
xsession_keys "Abrir un Depósito Digital" Escape && xsession_window_gone "Abrir un Depósito Digital"

main=$(other_window "Abrir un Depósito Digital")

# The leave question, answered yes: vk7 ends.
xsession_keys "$main" alt+f s
xsession_check "pregunta de salir" "${read[@]}" unnamed "VK7"
xsession_keys "VK7" Return
xsession_window_gone "$main"

# A deposit that breaks rules: the error list, then "Ver Error".
broken_fp=$(/usr/bin/python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["fingerprint"])' \
  "$broken/case.json")
"$vk7" --root "$work/c2" "$broken/deposit" "$broken_fp" >"$work/vk7-broken.log" 2>&1 &
XSESSION_PIDS+=($!)
# Its images bring a notice first, accepted with Enter.
xsession_check "aviso" "${read[@]}" unnamed "AVISO"
xsession_keys "AVISO" Return && xsession_window_gone "AVISO"
xsession_keys "$state" alt+s && xsession_window_gone "$state"
main=$(other_window "$state")
xsession_keys "$main" ctrl+r
xsession_check "lista de errores" "${read[@]}" unnamed "Lista de Errores"
xsession_keys "Lista de Errores" Return && xsession_window_gone "Lista de Errores"
xsession_check "Ver Error deja el campo con el error enfocado" "${read[@]}" focused

echo "$failed fallos"
[ "$failed" -eq 0 ]
