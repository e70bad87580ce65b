#!/usr/bin/env bash
# The real vk7 with the real Orca, as a blind clerk works: under Xvfb with a
# private session and accessibility bus, Orca speaking through
# speech-dispatcher and espeak-ng on a null sound device, keys only. What
# Orca says is read from its debug log: the Open dialog's labels, word
# moves at the end of the path (the program keeps answering), a short
# fingerprint's error, the state window's verdict, a form field's name and
# value, a page turned, the error list's first error, and the field and page
# "Ver Error" goes to. Without Orca it fails: it never skips.
set -euo pipefail
[ -n "${VK7_TEST_TRACE:-}" ] && set -x
vk7=$1
broken=$2 # a deposit that breaks rules (its folder holds deposit/ and case.json)
here=$(dirname "$0")

source "$here/../../scripts/xsession.sh"
xsession_start 1280x1024 || exit 1
xsession_start_accessibility || exit 1
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

for tool in speech-dispatcher /usr/lib/speech-dispatcher-modules/sd_espeak-ng; do
  command -v "$tool" >/dev/null || { echo "Falta $tool: bash scripts/setup-debian.sh"; exit 1; }
done
/usr/bin/python3 -c 'import orca.orca' 2>/dev/null ||
  { echo "Falta orca: bash scripts/setup-debian.sh"; exit 1; }

# Speech to a null sound device, through a speech-dispatcher of the
# session's own (its socket in the session's runtime folder, where Orca
# looks for it), in Spanish.
printf 'pcm.!default { type null }\n' >"$HOME/.asoundrc"
mkdir -p "$HOME/.config" "$XDG_RUNTIME_DIR/speech-dispatcher" "$work/orca"
cp -r /etc/speech-dispatcher "$HOME/.config/"
printf 'AudioOutputMethod "alsa"\nDefaultModule espeak-ng\nDefaultLanguage "es"\n' \
  >>"$HOME/.config/speech-dispatcher/speechd.conf"
socket="$XDG_RUNTIME_DIR/speech-dispatcher/speechd.sock"
speech-dispatcher -s -t 0 -c unix_socket -S "$socket" >"$work/speechd.log" 2>&1 &
speechd=$!
XSESSION_PIDS+=($speechd)
# A speech-dispatcher whose module died may not end on SIGTERM: it and its
# modules are killed outright first, so that the cleanup never waits for it.
stop_speech() {
  local child
  for child in $(xsession_descendants "$speechd") "$speechd"; do kill -9 "$child" 2>/dev/null || true; done
}
trap 'stop_speech; xsession_cleanup' EXIT
for _ in $(seq 100); do
  [ -S "$socket" ] && break
  sleep 0.1
done
log="$work/orca.log"
LANGUAGE=es /usr/bin/python3 "$here/run_orca.py" "$log" "$work/orca" >"$work/orca.out" 2>&1 &
orca=$!
XSESSION_PIDS+=($orca)
for _ in $(seq 600); do
  grep -q "SPEECH OUTPUT" "$log" 2>/dev/null && break
  kill -0 "$orca" 2>/dev/null || break
  sleep 0.1
done
if ! grep -q "SPEECH OUTPUT" "$log" 2>/dev/null; then
  echo "FALLO: Orca no arranca o no habla"
  tail -n 30 "$work/orca.out" "$log" "$work/speechd.log" 2>/dev/null
  exit 1
fi

failed=0
mark=0
spoken() { grep -a "SPEECH OUTPUT" "$log" | sed "s/^.*SPEECH OUTPUT: //"; }
# Waits until Orca has said `text` (a fixed string) since the last step; a
# loaded machine (the suites run two tests at a time) may take seconds.
heard() { # what, text
  for _ in $(seq 300); do
    spoken | tail -n +$((mark + 1)) | grep -qF -- "$2" && { echo "ok: $1"; return 0; }
    sleep 0.1
  done
  echo "FALLO: $1: Orca no dice \"$2\"; dice:"
  spoken | tail -n +$((mark + 1)) | sed 's/^/    /'
  failed=$((failed + 1))
}
step() { mark=$(spoken | wc -l); }

"$vk7" --root "$work/c" >"$work/vk7.log" 2>&1 &
XSESSION_PIDS+=($!)
xsession_wait_window Velmora >/dev/null
heard "la ventana principal" "Formulario panel"

open="Abrir un Depósito Digital"
step && xsession_keys Velmora ctrl+a
heard "Abrir, con su etiqueta" "Situación del FICHERO.TXT: texto"
xsession_keys "$open" ctrl+a
xdotool type --delay 20 "$broken/deposit/FICHERO.TXT"
# Word by word back from the end of the path: the program must go on
# answering (its text reading once looped there for ever).
step && xdotool key --delay 300 End ctrl+Left ctrl+Left ctrl+Left
step && xdotool key alt+d
heard "Alt+D tras moverse por palabras (vk7 contesta)" "Nº Disquetes: texto"
[ "$failed" -eq 0 ] || { echo "FALLO: vk7 no contesta; la prueba no sigue"; exit 1; }
step && xdotool key alt+u
heard "Alt+U" "Huella Digital del Depósito: texto"
xdotool type --delay 20 ABC
step && xdotool key Return
heard "el error de una huella corta, dicho al llegar" "notificación ERROR. Longitud Huella Digital. (Obligado : 26)"

fingerprint=$(/usr/bin/python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["fingerprint"])' \
  "$broken/case.json")
xdotool key ctrl+a
xdotool type --delay 20 "$fingerprint"
step && xdotool key Return
# Its images bring a notice first, read as an alert and accepted with Enter.
heard "el aviso" "alerta AVISO"
step && xdotool key Return
heard "la ventana de estado empieza por su veredicto" "Firma: $fingerprint"
step && xdotool key --delay 200 Tab Tab Tab Tab Tab
heard "el veredicto de la huella" "HUELLA DIGITAL : CORRECTA"

step && xdotool key Escape
heard "el formulario y su página" "Página 1 de 14"
step && xdotool key Tab
heard "un campo del formulario, nombre" "NIF sólo lectura texto"
heard "un campo del formulario, valor" "A28015864"
step && xdotool key Next
heard "la página pasada" "Página 2 de 14"

step && xdotool key ctrl+r
heard "la lista de errores dice su primer error" "Fecha inicio no válida"
step && xdotool key Return
heard "Ver Error dice el campo" "Fecha de inicio, Año sólo lectura texto"
heard "Ver Error dice la página" "notificación Página 1 de 14"

echo "$failed fallos"
[ "$failed" -eq 0 ]
