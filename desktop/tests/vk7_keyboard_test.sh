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
check() { # description, command...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FALLO: $what"; failed=$((failed + 1)); fi
}
keys_to() { # window title, keys...
  local title=$1 id
  shift
  id=$(xsession_wait_window "$title") || return 1
  xdotool windowactivate --sync "$id" >/dev/null 2>&1 || true
  xdotool key --clearmodifiers --delay 120 "$@"
}
type_to() { # window title, text
  local id
  id=$(xsession_wait_window "$1") || return 1
  xdotool windowactivate --sync "$id" >/dev/null 2>&1 || true
  xdotool type --clearmodifiers --delay 20 "$2"
}
gone() {
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  echo "La ventana \"$1\" no se cierra"
  return 1
}
active_title() {
  xdotool getactivewindow getwindowname 2>/dev/null || true
}
# Opens a deposit through the Open dialog: its folder's FICHERO.TXT, Tab
# over the diskettes to the fingerprint, Enter.
open_deposit() { # main window title, folder, fingerprint
  keys_to "$1" ctrl+a
  type_to "$open" "$2/FICHERO.TXT"
  keys_to "$open" Tab Tab
  type_to "$open" "$3"
  keys_to "$open" Return
}

open="Abrir un Depósito Digital"
state="Estado del Depósito Digital"
"$vk7" --root "$work/c" >"$work/vk7.log" 2>&1 &
XSESSION_PIDS+=($!)
xsession_wait_window Velmora >/dev/null
check "orden de Tab en la ventana principal" "${read[@]}" taborder Velmora 4

keys_to Velmora ctrl+a
check "orden de Tab en Abrir" "${read[@]}" taborder "$open" 7
keys_to "$open" Escape && gone "$open"
open_deposit Velmora "$sample" "$(cat "$sample.fingerprint")"
check "la ventana de estado se lee" \
  bash -c '"$@" >"$0" && grep -qx "CORRECTA" "$0"' "$work/state.txt" "${read[@]}" texts "$state"
check "orden de Tab en la ventana de estado" "${read[@]}" taborder "$state" 24
keys_to "$state" Escape && gone "$state"
main="Velmora - EUROS"
# Tab walks the form's fields, each one focused in turn.
keys_to "$main" Tab Tab Tab
check "Tab lleva por los campos del formulario" "${read[@]}" focused

# Each Edit dialog the deposit allows: Edición > Imágenes / Texto > entry.
opened=0
for path in "i m" "i g" "i d" "i u" "t m" "t g" "t a" "t b" "t v" "t e"; do
  keys_to "$main" alt+e $path
  sleep 0.5
  title=$(active_title)
  if [ "$title" = "$main" ]; then
    # A disabled entry: the menu stays open; Escape closes it.
    xdotool key --clearmodifiers Escape Escape Escape
    continue
  fi
  opened=$((opened + 1))
  check "orden de Tab en \"$title\"" "${read[@]}" taborder "$title" 12
  keys_to "$title" Escape && gone "$title"
done
check "se abren diálogos de Edición ($opened)" test "$opened" -ge 4

keys_to "$main" alt+a a
check "orden de Tab en Acerca de" "${read[@]}" taborder "Acerca de VK7" 2
keys_to "Acerca de VK7" Return && gone "Acerca de VK7"

# A deposit that breaks rules: its notice, the state window, the error list.
broken_fp=$(/usr/bin/python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["fingerprint"])' \
  "$broken/case.json")
open_deposit "$main" "$broken/deposit" "$broken_fp"
keys_to "AVISO" Return && gone "AVISO"
keys_to "$state" Escape && gone "$state"
main=$(active_title)
keys_to "$main" ctrl+r
check "orden de Tab en la lista de errores" "${read[@]}" taborder "Lista de Errores" 6
keys_to "Lista de Errores" Return && gone "Lista de Errores"
check "Ver Error: el campo del error tiene el foco" "${read[@]}" focused

# The leave question: Escape keeps the program, Enter on "Sí" leaves.
keys_to "$main" alt+f s
keys_to "VK7" Escape && gone "VK7"
check "Escape en la pregunta de salir no sale" xsession_wait_window "$main" 30 >/dev/null
keys_to "$main" alt+f s
keys_to "VK7" Return
check "Enter en la pregunta de salir sale" gone "$main"

echo "$failed fallos"
[ "$failed" -eq 0 ]
