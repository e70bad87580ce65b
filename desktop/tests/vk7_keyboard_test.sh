#!/usr/bin/env bash
# The real vk7 worked by keyboard alone (xdotool keys, not one mouse event):
# the Open dialog filled in and accepted with Enter, the state window read
# and left, the error list of a deposit that breaks rules opened and its
# first error shown ("Ver Error" with Enter, the form's field then focused),
# Tab walking the form's fields, every Edit dialog the deposit allows opened
# and left with Escape, and the leave question answered. In each window Tab
# goes from the top-left, never back up and to the left, and comes back. What the windows show is read through AT-SPI on a
# private accessibility bus the test starts (no bus, no test: it fails).
set -euo pipefail
[ -n "${VK7_TEST_TRACE:-}" ] && set -x
vk7=$1
sample=$2
broken=$3 # a deposit that breaks rules (its folder holds deposit/ and case.json)
here=$(dirname "$0")
read=(/usr/bin/python3 "$here/atspi_read.py")

source "$here/../../scripts/xsession.sh"
xsession_start 1280x1024 || exit 1
xsession_start_accessibility || exit 1
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

failed=0
type_to() { # window title, text
  local id
  id=$(xsession_wait_window "$1") || return 1
  xdotool windowactivate --sync "$id" >/dev/null 2>&1 || true
  xdotool type --clearmodifiers --delay 20 "$2"
}
active_title() {
  xdotool getactivewindow getwindowname 2>/dev/null || true
}
# Opens a deposit through the Open dialog: its folder's FICHERO.TXT, Tab
# over the diskettes to the fingerprint, Enter.
open_deposit() { # main window title, folder, fingerprint
  xsession_keys "$1" ctrl+a
  type_to "$open" "$2/FICHERO.TXT"
  xsession_keys "$open" Tab Tab
  type_to "$open" "$3"
  xsession_keys "$open" Return
}

open="Abrir un Depósito Digital"
state="Estado del Depósito Digital"
"$vk7" --root "$work/c" >"$work/vk7.log" 2>&1 &
XSESSION_PIDS+=($!)
xsession_wait_window Velmora >/dev/null
xsession_check "orden de Tab en la ventana principal" "${read[@]}" taborder Velmora 4

xsession_keys Velmora ctrl+a
xsession_check "orden de Tab en Abrir" "${read[@]}" taborder "$open" 7
xsession_keys "$open" Escape && xsession_window_gone "$open"
open_deposit Velmora "$sample" "$(cat "$sample.fingerprint")"
xsession_check "la ventana de estado se lee" \
  bash -c '"$@" >"$0" && grep -qx "CORRECTA" "$0"' "$work/state.txt" "${read[@]}" texts "$state"
xsession_check "orden de Tab en la ventana de estado" "${read[@]}" taborder "$state" 24
xsession_keys "$state" Escape && xsession_window_gone "$state"
main="Velmora - EUROS"
# Tab walks the form's fields, each one focused in turn.
xsession_keys "$main" Tab Tab Tab
xsession_check "Tab lleva por los campos del formulario" "${read[@]}" focused

# Each Edit dialog the deposit allows: Edición > Imágenes / Texto > entry.
opened=0
for path in "i m" "i g" "i d" "i u" "t m" "t g" "t a" "t b" "t v" "t e"; do
  xsession_keys "$main" alt+e $path
  sleep 0.5
  title=$(active_title)
  if [ "$title" = "$main" ]; then
    # A disabled entry: the menu stays open; Escape closes it.
    xdotool key --clearmodifiers Escape Escape Escape
    continue
  fi
  opened=$((opened + 1))
  xsession_check "orden de Tab en \"$title\"" "${read[@]}" taborder "$title" 12
  xsession_keys "$title" Escape && xsession_window_gone "$title"
done
xsession_check "se abren diálogos de Edición ($opened)" test "$opened" -ge 4

xsession_keys "$main" alt+a a
xsession_check "orden de Tab en Acerca de" "${read[@]}" taborder "Acerca de VK7" 2
xsession_keys "Acerca de VK7" Return && xsession_window_gone "Acerca de VK7"

# A deposit that breaks rules: its notice, the state window, the error list.
broken_fp=$(/usr/bin/python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["fingerprint"])' \
  "$broken/case.json")
open_deposit "$main" "$broken/deposit" "$broken_fp"
xsession_keys "AVISO" Return && xsession_window_gone "AVISO"
xsession_keys "$state" Escape && xsession_window_gone "$state"
main=$(active_title)
xsession_keys "$main" ctrl+r
xsession_check "orden de Tab en la lista de errores" "${read[@]}" taborder "Lista de Errores" 6
xsession_keys "Lista de Errores" Return && xsession_window_gone "Lista de Errores"
xsession_check "Ver Error: el campo del error tiene el foco" "${read[@]}" focused

# The leave question: Escape keeps the program, Enter on "Sí" leaves.
xsession_keys "$main" alt+f s
xsession_keys "VK7" Escape && xsession_window_gone "VK7"
xsession_check "Escape en la pregunta de salir no sale" xsession_wait_window "$main" 30 >/dev/null
xsession_keys "$main" alt+f s
xsession_keys "VK7" Return
xsession_check "Enter en la pregunta de salir sale" xsession_window_gone "$main"

echo "$failed fallos"
[ "$failed" -eq 0 ]
