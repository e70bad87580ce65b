#!/usr/bin/env bash
# Progress and "Cancelar" in the real vk7, under an X server and a CUPS
# server of the test's own.
# 1. An Open from a slow medium (every read waits, preloaded): while the copy
#    runs the status bar shows the progress bar and "Cancelar"; Escape stops
#    it within a second, the work folder is left empty, no deposit is open
#    (no state window, the bare title) and the medium is as it was.
# 2. A print run of the sample: Escape once the sheet's job is out, the
#    status bar showing the run's progress bar by then. No job after it
#    reaches the queue, each that did is whole, and the Open dialog does not
#    come back (the print did not succeed).
# 3. The text dialog's print of a long memoria: within a second of its start
#    the frame's status bar shows the progress bar; Escape stops the work
#    within a second, the dialog stays open and no job (not even a part of
#    one) reaches the queue.
# 4. On that deposit (valid), the state window's print stopped with Escape
#    two seconds in: no page image is left in the work folder, and Ctrl+E
#    says the fingerprint is still "CORRECTA".
# Needs root (the CUPS server's PDF backend); a missing tool or server
# fails the test.
set -euo pipefail
[ -n "${VK7_TEST_TRACE:-}" ] && set -x
vk7=$1
sample=$2
slow=$3
checker=$4
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)

source "$scripts/xsession.sh"
xsession_start 1280x1024 || exit 1
xsession_start_accessibility || exit 1
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0:verify_asan_link_order=0"
for tool in pdfinfo import convert lpstat; do
  command -v "$tool" >/dev/null || { echo "Falta $tool: bash scripts/setup-debian.sh"; exit 1; }
done

xsession_start_cups || exit 1
fingerprint=$(cat "$sample.fingerprint")
failed=0

# The status bar's right end, where the progress bar and "Cancelar" go.
status_bar() {
  import -window root "$work/screen.png"
  local geometry
  geometry=$(xdotool getwindowgeometry --shell "$1")
  eval "$geometry"
  convert "$work/screen.png" -crop "300x24+$((X + WIDTH - 420))+$((Y + HEIGHT - 24))" \
    -depth 8 rgb:- | md5sum | cut -d' ' -f1
}

# --- 1. The Open from a slow medium ---
medium="$work/medium"
mkdir -p "$medium"
cp "$sample"/* "$medium/"
head -c 40000000 /dev/zero >"$medium/RELLENO.DAT"
before=$(cd "$medium" && md5sum * | md5sum)
VK7_SLOW_MEDIUM="$medium" VK7_SLOW_MEDIUM_MS=5 LD_PRELOAD="$slow" \
  "$vk7" --root "$work/c" "$medium/FICHERO.TXT" "$fingerprint" >"$work/vk7.log" 2>&1 &
pid=$!
XSESSION_PIDS+=($pid)
frame=$(xsession_wait_window "Velmora") || { cat "$work/vk7.log"; exit 1; }
# The copy is under way once the first files are in the work folder.
for _ in $(seq 100); do
  [ -n "$(ls "$work/c/TMP_VK7" 2>/dev/null)" ] && break
  sleep 0.05
done
sleep 0.5
working=$(status_bar "$frame")
xdotool windowactivate --sync "$frame" key --clearmodifiers Escape
start=$(date +%s%N)
stopped=""
for _ in $(seq 40); do
  if [ -z "$(ls "$work/c/TMP_VK7" 2>/dev/null)" ]; then
    stopped=$((($(date +%s%N) - start) / 1000000))
    break
  fi
  sleep 0.05
done
sleep 1
idle=$(status_bar "$frame")
if [ -z "$stopped" ] || [ -n "$(ls "$work/c/TMP_VK7" 2>/dev/null)" ]; then
  echo "FALLO: la carpeta de trabajo no queda vacía tras Escape: $(ls "$work/c/TMP_VK7")"
  failed=$((failed + 1))
elif xdotool search --onlyvisible --name '^Estado del Depósito Digital$' >/dev/null 2>&1 ||
  ! xdotool search --onlyvisible --name '^Velmora$' >/dev/null 2>&1; then
  echo "FALLO: tras cancelar la recepción hay un depósito abierto"
  failed=$((failed + 1))
elif [ "$(cd "$medium" && md5sum * | md5sum)" != "$before" ]; then
  echo "FALLO: el medio ha cambiado"
  failed=$((failed + 1))
elif [ "$working" = "$idle" ]; then
  echo "FALLO: la barra de estado no muestra progreso ni Cancelar durante la copia"
  failed=$((failed + 1))
else
  echo "ok: recepción desde un medio lento cancelada con Escape en $stopped ms; carpeta de trabajo vacía, medio intacto"
fi
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true

# --- 2. The print run ---
"$vk7" --root "$work/c2" "$sample" "$fingerprint" >"$work/vk7-print.log" 2>&1 &
pid=$!
XSESSION_PIDS+=($pid)
frame=$(xsession_wait_window "Velmora - EUROS") || { cat "$work/vk7-print.log"; exit 1; }
state=$(xsession_wait_window "Estado del Depósito Digital") || exit 1
# Where the progress bar goes, left of "Cancelar" (from the frame's place
# on the screen, which xwininfo gives without its title bar): taken alone,
# it is quick enough to take between the sheet's job and Escape.
progress_place() {
  eval "$(xwininfo -id "$1" | awk '/Absolute upper-left X/ { print "fx=" $4 }
    /Absolute upper-left Y/ { print "fy=" $4 } /Width:/ { print "fw=" $2 }
    /Height:/ { print "fh=" $2 }')"
  bar_place="130x12+$((fx + fw - 380))+$((fy + fh - 18))"
}
progress_bar() {
  import -window root -crop "$bar_place" -depth 8 rgb:- | md5sum | cut -d' ' -f1
}
progress_place "$frame"
xdotool windowactivate --sync "$state" key --clearmodifiers alt+i
# Escape once the server has the sheet's job (it lists a job as soon as it
# is sent; its PDF comes later), while the form's pages are being gathered.
for _ in $(seq 300); do
  [ -n "$(lpstat -W all -o 2>/dev/null)" ] && break
  sleep 0.02
done
printing=$(progress_bar)
xdotool key --clearmodifiers Escape
sleep 4
stopped_bar=$(progress_bar)
printed=$(xsession_cups_jobs)
whole="VK7_DG 1
VK7_K7NE 10
VK7_M1 2
VK7_M2 3
VK7_G2 2
VK7_AD 1"
count=$(echo "$printed" | grep -c . || true)
if [ "$count" -ge 6 ] || [ "$count" -lt 1 ] || [ "$printed" != "$(echo "$whole" | head -n "$count")" ]; then
  echo "FALLO: trabajos tras Escape:"
  echo "$printed"
  failed=$((failed + 1))
elif xdotool search --onlyvisible --name '^Abrir un Depósito Digital$' >/dev/null 2>&1; then
  echo "FALLO: tras cancelar la impresión vuelve el diálogo de apertura"
  failed=$((failed + 1))
elif [ "$printing" = "$stopped_bar" ]; then
  echo "FALLO: la barra de estado no muestra el progreso de la impresión"
  failed=$((failed + 1))
else
  echo "ok: impresión con su barra de progreso, cancelada con Escape; enviados enteros: $(echo "$printed" | tr '\n' ',' | sed 's/,$//')"
fi
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true

# --- 3. The text dialog's print of a long memoria ---
long="$work/long"
mkdir -p "$long"
cp "$sample"/* "$long/"
# 3000 pages of 60 prose lines, separated by form feeds.
awk 'BEGIN {
  line = "Las cuentas anuales muestran la imagen fiel del patrimonio de la sociedad."
  for (p = 1; p <= 3000; p++) {
    printf "%sMEMORIA - Página %d\r\n", (p > 1 ? "\f\r\n" : ""), p
    for (l = 1; l < 60; l++) printf "%s\r\n", line
  }
}' >"$long/MEMORIA.TXT"
long_fp=$({ "$checker" --json "$long" AAAAAAAAAAAAAAAAAAAAAAAAAA || true; } |
  sed -n 's/.*"computedFingerprint": "\([^"]*\)".*/\1/p')
"$vk7" --root "$work/c3" "$long" "$long_fp" >"$work/vk7-text.log" 2>&1 &
pid=$!
XSESSION_PIDS+=($pid)
main=$(xsession_wait_window "Velmora - EUROS" 600) || { cat "$work/vk7-text.log"; exit 1; }
state=$(xsession_wait_window "Estado del Depósito Digital" 600) || exit 1
xdotool windowactivate --sync "$state" key --clearmodifiers alt+s
sleep 0.5
xdotool windowactivate --sync "$main" key --clearmodifiers alt+e t m
dialog=$(xsession_wait_window "Memoria del Depósito Digital" 600) || exit 1
sleep 0.5
idle=$(status_bar "$main")
progress_place "$main"
idle_bar=$(progress_bar)
xdotool windowactivate --sync "$dialog" key --clearmodifiers alt+i
# The printer dialog, confirmed with its default printer.
for _ in $(seq 100); do
  [ "$(xdotool getactivewindow)" != "$dialog" ] && break
  sleep 0.05
done
sleep 0.5
before=$(lpstat -W all -o 2>/dev/null | wc -l)
xdotool key --clearmodifiers Return
sleep 1
working_bar=$(progress_bar)
working=$(status_bar "$main")
xdotool key --clearmodifiers Escape
start=$(date +%s%N)
# The work has stopped once the program's CPU time stands still.
stopped=""
ticks=()
for i in $(seq 0 40); do
  ticks+=("$(awk '{print $14 + $15}' "/proc/$pid/stat")")
  if [ "$i" -ge 3 ] && [ $((ticks[i] - ticks[i - 3])) -le 3 ]; then
    stopped=$(((i - 3) * 100))
    break
  fi
  sleep 0.1
done
sleep 2
after=$(lpstat -W all -o 2>/dev/null | wc -l)
if [ "$working" = "$idle" ] || [ "$working_bar" = "$idle_bar" ]; then
  echo "FALLO: un segundo después de empezar, la barra de estado no muestra el progreso de la impresión del texto"
  failed=$((failed + 1))
elif [ -z "$stopped" ]; then
  echo "FALLO: la impresión del texto no se detiene tras Escape"
  failed=$((failed + 1))
elif [ "$after" -ne "$before" ]; then
  echo "FALLO: tras Escape llegan $((after - before)) trabajos a la cola"
  failed=$((failed + 1))
elif ! xdotool search --onlyvisible --name '^Memoria del Depósito Digital$' >/dev/null 2>&1; then
  echo "FALLO: Escape durante la impresión cierra el diálogo del texto"
  failed=$((failed + 1))
else
  echo "ok: impresión del texto largo detenida con Escape (unos $stopped ms); ningún trabajo en la cola"
fi

# --- 4. A stopped print leaves the deposit's verdict as it was ---
xdotool windowactivate --sync "$dialog" key --clearmodifiers Escape
xsession_window_gone "Memoria del Depósito Digital" || true
xdotool windowactivate --sync "$main" key --clearmodifiers ctrl+e
state=$(xsession_wait_window "Estado del Depósito Digital" 600) || exit 1
xdotool windowactivate --sync "$state" key --clearmodifiers alt+i
sleep 2
xdotool key --clearmodifiers Escape
# Stopped once the program's CPU time stands still.
ticks=()
for i in $(seq 0 100); do
  ticks+=("$(awk '{print $14 + $15}' "/proc/$pid/stat")")
  [ "$i" -ge 3 ] && [ $((ticks[i] - ticks[i - 3])) -le 3 ] && break
  sleep 0.1
done
left=$(find "$work/c3/TMP_VK7" -maxdepth 1 -name 'K7.*' | wc -l)
xdotool windowactivate --sync "$main" key --clearmodifiers ctrl+e
state=$(xsession_wait_window "Estado del Depósito Digital" 600) || exit 1
/usr/bin/python3 "$(dirname "$0")/atspi_read.py" texts "Estado del Depósito Digital" >"$work/state.txt" || true
if [ "$left" -ne 0 ]; then
  echo "FALLO: la impresión cancelada deja $left imágenes K7.* en la carpeta de trabajo"
  failed=$((failed + 1))
elif ! grep -A1 -x "HUELLA DIGITAL :" "$work/state.txt" | grep -qx "CORRECTA"; then
  echo "FALLO: tras cancelar la impresión, la ventana de estado no dice HUELLA DIGITAL : CORRECTA:"
  cat "$work/state.txt"
  failed=$((failed + 1))
else
  echo "ok: impresión cancelada sin dejar imágenes; Ctrl+E sigue dando la huella CORRECTA"
fi
echo "$((4 - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
