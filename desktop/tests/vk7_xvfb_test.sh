#!/usr/bin/env bash
# Starts the real vk7 under an X server of its own (Xvfb, with openbox to
# activate windows): --help needs no display; a drive C: that is a link is refused in a box; on the
# sample deposit the window "Velmora - EUROS"
# appears with the state window over it (closed with Salir), and a second
# start brings it to the front, ends with 0 and
# leaves exactly one main window, maximised as it was. A missing tool fails
# the test.
set -euo pipefail
[ -n "${VK7_TEST_TRACE:-}" ] && set -x
vk7=$1
sample=$2

# The private display; a missing tool or server fails the test.
source "$(dirname "$0")/../../scripts/xsession.sh"
xsession_start 1280x1024 || exit 1
# Under the sanitizers the X11 platform's own allocations at exit are not
# this test's subject (the offscreen tests check the program's).
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

fingerprint=$(cat "$sample.fingerprint")

# The help needs no window system: without a display it is printed, in Spanish.
help=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$vk7" --help 2>&1) ||
  { echo "vk7 --help sin pantalla falla: $help"; exit 1; }
grep -q '^Uso: vk7 ' <<<"$help" && grep -q 'Opciones:' <<<"$help" ||
  { echo "vk7 --help sin pantalla no muestra la ayuda: $help"; exit 1; }

# A drive C: that is a symbolic link is refused in a message box before
# anything is written through it, and vk7 ends with 2.
mkdir -p "$work/otra"
ln -s "$work/otra" "$work/enlace"
"$vk7" --root "$work/enlace" >"$work/refused.log" 2>&1 &
refused=$!
XSESSION_PIDS+=($refused)
box=""
for _ in $(seq 300); do
  box=$(xdotool search --onlyvisible --name '^ERROR$' 2>/dev/null | head -n1 || true)
  [ -n "$box" ] && break
  sleep 0.1
done
[ -n "$box" ] || { echo "No aparece el aviso de la unidad C: insegura"; cat "$work/refused.log"; exit 1; }
xdotool windowactivate --sync "$box" key --clearmodifiers Return
set +e
wait "$refused"
status=$?
set -e
[ "$status" -eq 2 ] || { echo "vk7 sale con $status ante la unidad C: insegura"; exit 1; }
grep -q "enlace es un enlace simbólico: no se usa." "$work/refused.log" ||
  { echo "Falta el motivo en la salida de error"; cat "$work/refused.log"; exit 1; }
[ -z "$(ls -A "$work/otra")" ] || { echo "Se ha escrito a través del enlace"; ls -A "$work/otra"; exit 1; }
echo "ok: la unidad C: que es un enlace se rechaza en un aviso"
"$vk7" --root "$work/c" "$sample" "$fingerprint" >"$work/first.log" 2>&1 &
first=$!
XSESSION_PIDS+=($first)

window=""
for _ in $(seq 300); do
  window=$(xdotool search --onlyvisible --name '^Velmora - EUROS$' 2>/dev/null | head -n1 || true)
  [ -n "$window" ] && break
  kill -0 "$first" 2>/dev/null || { echo "vk7 terminó antes de tiempo"; cat "$work/first.log"; exit 1; }
  sleep 0.1
done
[ -n "$window" ] || {
  echo "No aparece la ventana \"Velmora - EUROS\""
  cat "$work/first.log"
  xwininfo -root -tree | grep -v '(has no name)' | head -20
  exit 1
}
echo "ok: ventana \"Velmora - EUROS\" ($window)"

# The Open ends in the state window, modal over the main window; Salir closes it.
state=""
for _ in $(seq 300); do
  state=$(xdotool search --onlyvisible --name '^Estado del Depósito Digital$' 2>/dev/null | head -n1 || true)
  [ -n "$state" ] && break
  sleep 0.1
done
[ -n "$state" ] || { echo "No aparece la ventana de estado al abrir"; cat "$work/first.log"; exit 1; }
xdotool windowactivate --sync "$state" key --clearmodifiers alt+s
for _ in $(seq 300); do
  xdotool search --onlyvisible --name '^Estado del Depósito Digital$' >/dev/null 2>&1 || break
  sleep 0.1
done
! xdotool search --onlyvisible --name '^Estado del Depósito Digital$' >/dev/null 2>&1 ||
  { echo "Salir no cierra la ventana de estado"; exit 1; }
echo "ok: la ventana de estado tras abrir, cerrada con Salir"

# Another window in front, then the second start.
xdotool windowminimize "$window"
sleep 0.5
set +e
timeout 30 "$vk7" --root "$work/c" >"$work/second.log" 2>&1
second=$?
set -e
[ "$second" -eq 0 ] || { echo "El segundo arranque sale con $second"; cat "$work/second.log"; exit 1; }
echo "ok: el segundo arranque sale con 0"

count=$(xdotool search --onlyvisible --name '^Velmora' | wc -l)
[ "$count" -eq 1 ] || { echo "Hay $count ventanas principales"; exit 1; }
kill -0 "$first" || { echo "El primer vk7 ya no está"; exit 1; }
echo "ok: una sola ventana principal"

active=""
for _ in $(seq 300); do
  active=$(xdotool getactivewindow 2>/dev/null || true)
  [ "$active" = "$window" ] && break
  sleep 0.1
done
[ "$active" = "$window" ] || {
  echo "La ventana no ha pasado al frente (activa: $active)"
  xprop -id "$window" _NET_WM_STATE WM_STATE
  xprop -root _NET_ACTIVE_WINDOW
  cat "$work/openbox.log"
  exit 1
}
echo "ok: la ventana restaurada y al frente"

# It comes back as it was before it was minimised: maximised.
maximised=""
for _ in $(seq 50); do
  if xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_MAXIMIZED_VERT; then
    maximised=yes
    break
  fi
  sleep 0.1
done
[ -n "$maximised" ] || {
  echo "La ventana vuelve sin maximizar"
  xprop -id "$window" _NET_WM_STATE WM_STATE
  xwininfo -id "$window" | grep -E 'Width|Height'
  exit 1
}
echo "ok: la ventana vuelve maximizada"

# With the Open dialog up, a later start brings the dialog to the front.
xdotool key --window "$window" --clearmodifiers ctrl+a
dialog=""
for _ in $(seq 300); do
  dialog=$(xdotool search --onlyvisible --name '^Abrir un Depósito Digital$' 2>/dev/null | head -n1 || true)
  [ -n "$dialog" ] && break
  sleep 0.1
done
[ -n "$dialog" ] || { echo "Ctrl+A no abre el diálogo"; exit 1; }
xdotool windowminimize "$window"
sleep 0.5
timeout 30 "$vk7" --root "$work/c" >"$work/third.log" 2>&1 || { echo "El tercer arranque falla"; exit 1; }
for _ in $(seq 300); do
  active=$(xdotool getactivewindow 2>/dev/null || true)
  [ "$active" = "$dialog" ] && break
  sleep 0.1
done
[ "$active" = "$dialog" ] || { echo "El diálogo abierto no ha pasado al frente (activa: $active)"; exit 1; }
echo "ok: el diálogo abierto al frente"
xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_MAXIMIZED_VERT ||
  { echo "Con el diálogo abierto, la ventana vuelve sin maximizar"; exit 1; }
echo "ok: y maximizada"
echo "8 passed, 0 failed"
