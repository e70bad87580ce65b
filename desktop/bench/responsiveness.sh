#!/usr/bin/env bash
# The real vk7's three long jobs, for one or more builds (a program that
# prints figures, not a test):
#   1. the Open of a deposit whose MEMORIA.TXT has MEMORIA_MB (default 300)
#      megabytes, listed in its FICHERO.TXT, so that it is copied, hashed and
#      read;
#   2. the state window's "&Imprimir" of a deposit with IMAGE_PAGES (300)
#      scanned pages (three-page TIFF G4 files MEMORIA.Mnn and AUDITOR.0nn)
#      and a memoria of TEXT_PAGES (500) pages, to the test CUPS queue;
#   3. "&Imprimir" in Edición > Texto > Memoria for a memoria of TEXT_MB (20)
#      megabytes.
# While each runs, windowping sends the window a ping every 50 ms and
# reports the longest wait for its answer; the total runs from the key that
# starts the job to the state window (1) or to the last job listed by CUPS
# (2, 3), with the program's CPU time over the same span beside it. Each
# job is then run again and stopped with Escape ("Cancelar"):
# its delay runs from the key to the empty work folder (1) or to the moment
# the program stops working, its CPU time at rest (2, 3); the jobs CUPS got
# after it are counted. A build without the button shows "sin efecto".
# Needs root (the CUPS server), Xvfb, python3, tiffcp, and the build's
# bench/windowping and bin/vk7check.
# Usage: [ROUNDS=N] desktop/bench/responsiveness.sh BUILD_BIN... (e.g. build/bin)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
scripts=$here/../../scripts
sample=$here/../../examples/sample-deposit
ping=${WINDOWPING:-$here/../../build/bench/windowping}
checker=${VK7CHECK:-$here/../../build/bin/vk7check}
memoria_mb=${MEMORIA_MB:-300}
image_pages=${IMAGE_PAGES:-300}
text_pages=${TEXT_PAGES:-500}
text_mb=${TEXT_MB:-20}
for tool in python3 tiffcp lpstat pdfinfo xdotool; do
  command -v "$tool" >/dev/null || { echo "Falta $tool: bash scripts/setup-debian.sh"; exit 1; }
done
source "$scripts/xsession.sh"
xsession_start 1280x1024 || exit 1
xsession_start_cups || exit 1
now() { date +%s%N; }
ms() { echo $((($2 - $1) / 1000000)); }

# --- The three deposits, each the sample with its long part ---
deposit_like_sample() {
  rm -rf "$1"
  mkdir -p "$1"
  cp "$sample"/* "$1/"
}
fingerprint_of() {
  # Any fingerprint of the right length: the check gives the computed one.
  { "$checker" --json "$1" AAAAAAAAAAAAAAAAAAAAAAAAAA || true; } |
    python3 -c 'import json,sys; d=json.load(sys.stdin); print(d["computedFingerprint"])'
}
big=$work/big
deposit_like_sample "$big"
python3 "$here/longtext.py" "$big/MEMORIA.TXT" --bytes "$((memoria_mb * 1000000))"

scanned=$work/scanned
deposit_like_sample "$scanned"
python3 "$here/longtext.py" "$scanned/MEMORIA.TXT" --pages "$text_pages"
tiffcp "$sample/MEMORIA.M01" "$sample/MEMORIA.M02" "$sample/AUDITOR.001" "$work/three.tif"
rm "$scanned"/MEMORIA.M0? "$scanned"/AUDITOR.0??
files=(FICHERO.TXT DATOS.ASC INSTANCIA.ASC MEMORIA.TXT GESTION.TXT)
per_list=$((image_pages / 6))
for n in $(seq "$per_list"); do
  memoria=$(printf 'MEMORIA.M%02d' "$n")
  auditor=$(printf 'AUDITOR.%03d' "$n")
  cp "$work/three.tif" "$scanned/$memoria"
  cp "$work/three.tif" "$scanned/$auditor"
  files+=("$memoria" "$auditor")
done
printf '%s\r\n' "${files[@]}" >"$scanned/FICHERO.TXT"

text=$work/text
deposit_like_sample "$text"
python3 "$here/longtext.py" "$text/MEMORIA.TXT" --bytes "$((text_mb * 1000000))"

for d in "$big" "$scanned" "$text"; do
  fingerprint_of "$d" >"$d.fingerprint"
done
text_page_count=$(($(tr -cd '\f' <"$text/MEMORIA.TXT" | wc -c) + 1))
echo "depósitos: memoria de $(($(stat -c %s "$big/MEMORIA.TXT") / 1000000)) MB;" \
  "$((per_list * 6)) páginas escaneadas ($((per_list * 2)) ficheros de 3) y memoria de" \
  "$text_pages páginas; texto de $(($(stat -c %s "$text/MEMORIA.TXT") / 1000000)) MB" \
  "($text_page_count páginas)"

# --- Measures ---
jobs_listed() { lpstat -W all -o 2>/dev/null | wc -l; }
cups_idle() {
  for _ in $(seq "${1:-600}"); do
    [ -z "$(lpstat -o 2>/dev/null)" ] && return 0
    sleep 0.5
  done
  cancel -a >/dev/null 2>&1 || true
}
wait_jobs() {
  local target=$1
  for _ in $(seq 12000); do
    [ "$(jobs_listed)" -ge "$target" ] && return 0
    sleep 0.05
  done
  return 1
}
ping_start() {
  rm -f "$work/stop"
  "$ping" "$1" "$work/stop" >"$work/ping" &
  pinger=$!
}
ping_stop() {
  touch "$work/stop"
  wait "$pinger"
  longest=$(sed -E 's/.*espera_max_ms=([0-9]+).*/\1/' "$work/ping")
  unanswered=$(sed -E 's/.*sin_respuesta=([0-9]+).*/\1/' "$work/ping")
}
# The last N jobs' names and page counts, as the server wrote them.
last_jobs() {
  xsession_cups_jobs | tail -n "$1" | tr '\n' ';' | sed 's/;/; /g'
  echo
}
# ms from T0 until the process's CPU time stops growing, read every 25 ms:
# the start of the first 300 ms in which it used at most 30 ms (the work
# stopped then, give or take a reading); "sin efecto" after 10 s.
quiet_after() {
  local pid=$1 t0=$2 times=() ticks=() i
  for i in $(seq 0 1000); do
    times+=("$(now)")
    [ $((times[i] - t0)) -gt 10000000000 ] && break
    ticks+=("$(awk '{print $14 + $15}' "/proc/$pid/stat" 2>/dev/null || echo 0)")
    if [ "$i" -ge 12 ] && [ $((ticks[i] - ticks[i - 12])) -le 3 ]; then
      echo "$(ms "$t0" "${times[i - 12]}") ms"
      return
    fi
    sleep 0.025
  done
  echo "sin efecto en 10 s"
}
# Waits (up to a minute) until the server has no job and the machine is
# quiet, at least 85 % idle over two seconds running: a job the server is
# still converting, or the previous build's print that could not be
# stopped, must not weigh on the next figure.
settle() {
  local a b quiet=0
  cups_idle 120
  for _ in $(seq 120); do
    a=($(head -1 /proc/stat))
    sleep 0.5
    b=($(head -1 /proc/stat))
    local busy=$(((b[1] + b[2] + b[3] + b[6] + b[7]) - (a[1] + a[2] + a[3] + a[6] + a[7])))
    local idle=$(((b[4] + b[5]) - (a[4] + a[5])))
    if [ $((idle * 100)) -ge $(((idle + busy) * 85)) ]; then
      quiet=$((quiet + 1))
      [ "$quiet" -ge 4 ] && return 0
    else
      quiet=0
    fi
  done
}
stop_vk7() {
  kill "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}
start_vk7() {
  rm -rf "$work/c"
  "$bin/vk7" --root "$work/c" "$1" "$(cat "$1.fingerprint")" >"$work/vk7.log" 2>&1 &
  pid=$!
}
row() { printf '%-24s | %-18s | %10s | %8s | %12s | %12s | %s\n' "$@"; }
# The process's CPU time so far (user and system, all its threads), in ms:
# on a shared machine a steadier figure than the wall clock's.
tick_ms=$((1000 / $(getconf CLK_TCK)))
cpu_ms() { awk -v t="$tick_ms" '{print ($14 + $15) * t}' "/proc/$1/stat" 2>/dev/null || echo 0; }

# ROUNDS (default 1) runs the builds in turn that many times: on a shared
# machine the spread between rounds says how far a figure can be trusted.
for round in $(seq "${ROUNDS:-1}"); do
for bin in "$@"; do
  echo "== $bin (vuelta $round)"
  row "trabajo" "build" "total ms" "cpu ms" "espera máx ms" "sin respuesta" "Cancelar (Escape)"
  name=$(basename "$(dirname "$bin")")/$(basename "$bin")

  # 1. The Open.
  settle
  start=$(now)
  start_vk7 "$big"
  frame=$(xsession_wait_window "Velmora" 600)
  ping_start "$frame"
  xsession_wait_window "Estado del Depósito Digital" 6000 >/dev/null
  opened=$(now)
  cpu=$(cpu_ms "$pid")
  ping_stop
  stop_vk7 "$pid"
  start_vk7 "$big"
  frame=$(xsession_wait_window "Velmora" 600)
  for _ in $(seq 600); do
    [ -n "$(ls "$work/c/TMP_VK7" 2>/dev/null)" ] && break
    sleep 0.05
  done
  # Half a second into the copy: the copy and the fingerprint can stop.
  sleep 0.5
  xdotool windowactivate --sync "$frame" key --clearmodifiers Escape
  t0=$(now)
  stopped="sin efecto en 10 s"
  if xdotool search --onlyvisible --name '^Estado del Depósito Digital$' >/dev/null 2>&1; then
    stopped="terminada antes de Escape"
  fi
  for _ in $(seq 1000); do
    if [ -z "$(ls "$work/c/TMP_VK7" 2>/dev/null)" ]; then
      stopped="$(ms "$t0" "$(now)") ms"
      break
    fi
    sleep 0.01
  done
  if [ "$stopped" = "sin efecto en 10 s" ] &&
    xdotool search --onlyvisible --name '^Estado del Depósito Digital$' >/dev/null 2>&1; then
    stopped="sin efecto: el depósito queda abierto"
  fi
  stop_vk7 "$pid"
  row "apertura ${memoria_mb} MB" "$name" "$(ms "$start" "$opened")" "$cpu" "$longest" "$unanswered" \
    "$stopped"

  # 2. The state window's print.
  for run in measure cancel; do
    start_vk7 "$scanned"
    frame=$(xsession_wait_window "Velmora - EUROS" 6000)
    state=$(xsession_wait_window "Estado del Depósito Digital" 6000)
    sleep 1
    cups_idle
    settle
    before=$(jobs_listed)
    if [ "$run" = measure ]; then ping_start "$frame"; fi
    start=$(now)
    cpu0=$(cpu_ms "$pid")
    xdotool windowactivate --sync "$state" key --clearmodifiers alt+i
    if [ "$run" = measure ]; then
      wait_jobs $((before + 6)) || true
      printed=$(now)
      cpu=$(($(cpu_ms "$pid") - cpu0))
      ping_stop
      total=$(ms "$start" "$printed")
    else
      sleep 1
      xdotool key --clearmodifiers Escape
      sent=$(($(jobs_listed) - before))
      stopped=$(quiet_after "$pid" "$(now)")
      sleep 2
      stopped="$stopped; $sent trabajos de 6 enviados al pulsarlo, $(($(jobs_listed) - before)) al final"
    fi
    stop_vk7 "$pid"
    cups_idle 600
    if [ "$run" = measure ]; then pages=$(last_jobs 6); fi
  done
  row "impresión $((per_list * 6)) img + $text_pages txt" "$name" "$total" "$cpu" "$longest" \
    "$unanswered" \
    "$stopped"
  echo "  (trabajos impresos: $pages)"

  # 3. The text dialog's print.
  start_vk7 "$text"
  main=$(xsession_wait_window "Velmora - EUROS" 6000)
  state=$(xsession_wait_window "Estado del Depósito Digital" 6000)
  xdotool windowactivate --sync "$state" key --clearmodifiers alt+s
  sleep 1
  xdotool windowactivate --sync "$main" key --clearmodifiers alt+e t m
  dialog=$(xsession_wait_window "Memoria del Depósito Digital" 6000)
  for run in measure cancel; do
    sleep 1
    xdotool windowactivate --sync "$dialog" key --clearmodifiers alt+i
    for _ in $(seq 300); do
      [ "$(xdotool getactivewindow)" != "$dialog" ] && break
      sleep 0.05
    done
    sleep 0.5
    cups_idle
    settle
    before=$(jobs_listed)
    if [ "$run" = measure ]; then ping_start "$dialog"; fi
    cpu0=$(cpu_ms "$pid")
    xdotool key --clearmodifiers Return
    start=$(now)
    if [ "$run" = measure ]; then
      wait_jobs $((before + 1)) || true
      printed=$(now)
      cpu=$(($(cpu_ms "$pid") - cpu0))
      ping_stop
      total=$(ms "$start" "$printed")
      # The server's own conversion of the job is not the program's work.
      cancel -a >/dev/null 2>&1 || true
    else
      sleep 1
      xdotool key --clearmodifiers Escape
      sent=$(($(jobs_listed) - before))
      stopped=$(quiet_after "$pid" "$(now)")
      sleep 2
      stopped="$stopped; $sent trabajos enviados al pulsarlo, $(($(jobs_listed) - before)) al final"
    fi
    cups_idle 60
  done
  stop_vk7 "$pid"
  row "texto ${text_mb} MB (diálogo)" "$name" "$total" "$cpu" "$longest" "$unanswered" "$stopped"
done
done
