#!/usr/bin/env bash
# The real vk7's long jobs, for one or more builds (a program that prints
# figures, not a test): how long each takes, how long the window leaves its
# events waiting meanwhile, and how soon "Cancelar" works.
#   1. the Open of a deposit: the sample plus an extra file of SIZE_MB
#      (default 300) that the copy takes along;
#   2. the print run of that deposit to the test CUPS queue (six jobs);
#   3. "Cancelar" (Escape) during an Open from a slow medium: the time until
#      the work folder is empty (builds without the button never empty it).
# During 1 and 2 windowping sends the window a ping every 50 ms and reports
# the longest wait for its answer. Needs root (the CUPS server), Xvfb, and
# the build's bench/windowping and tests/libvk7_slowmedium.so.
# Usage: desktop/bench/responsiveness.sh BUILD_BIN... (e.g. build/bin)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
scripts=$here/../../scripts
sample=$here/../../examples/sample-deposit
ping=${WINDOWPING:-$here/../../build/bench/windowping}
slow=${SLOWMEDIUM:-$here/../../build/tests/libvk7_slowmedium.so}
size=${SIZE_MB:-300}
source "$scripts/xsession.sh"
xsession_start 1280x1024 || exit 1
cups=$(mktemp -d /tmp/vk7-cups.XXXXXX)
stop_all() {
  bash "$scripts/test-cups-server.sh" stop "$cups" || true
  rm -rf "$cups"
  xsession_cleanup
}
trap stop_all EXIT
bash "$scripts/test-cups-server.sh" start "$cups" >"$work/cups.out" || { cat "$work/cups.out"; exit 1; }
export CUPS_SERVER="$cups/cups.sock"
fingerprint=$(cat "$sample.fingerprint")
medium=$work/medium
mkdir -p "$medium"
cp "$sample"/* "$medium/"
head -c "$((size * 1000000))" /dev/urandom >"$medium/RELLENO.DAT"
now() { date +%s%N; }
ms() { echo $((($2 - $1) / 1000000)); }

for bin in "$@"; do
  echo "== $bin"
  rm -rf "$work/c" "$work/stop"
  start=$(now)
  "$bin/vk7" --root "$work/c" "$medium/FICHERO.TXT" "$fingerprint" >"$work/vk7.log" 2>&1 &
  pid=$!
  frame=$(xsession_wait_window "Velmora" 600)
  "$ping" "$frame" "$work/stop" >"$work/ping1" &
  pinger=$!
  state=$(xsession_wait_window "Estado del Depósito Digital" 1200)
  opened=$(now)
  touch "$work/stop"; wait "$pinger"; rm -f "$work/stop"
  echo "apertura (${size} MB más): $(ms "$start" "$opened") ms; $(cat "$work/ping1")"

  frame=$(xsession_wait_window "Velmora - EUROS")
  cancel -a >/dev/null 2>&1 || true
  before=$(lpstat -W all -o 2>/dev/null | wc -l)
  "$ping" "$frame" "$work/stop" >"$work/ping2" &
  pinger=$!
  start=$(now)
  xdotool windowactivate --sync "$state" key --clearmodifiers alt+i
  for _ in $(seq 1200); do
    [ "$(lpstat -W all -o 2>/dev/null | wc -l)" -ge $((before + 6)) ] && break
    sleep 0.05
  done
  printed=$(now)
  touch "$work/stop"; wait "$pinger"; rm -f "$work/stop"
  echo "impresión (6 trabajos): $(ms "$start" "$printed") ms; $(cat "$work/ping2")"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true

  rm -rf "$work/c"
  VK7_SLOW_MEDIUM="$medium" VK7_SLOW_MEDIUM_MS=5 LD_PRELOAD="$slow" \
    "$bin/vk7" --root "$work/c" "$medium/FICHERO.TXT" "$fingerprint" >"$work/vk7.log" 2>&1 &
  pid=$!
  frame=$(xsession_wait_window "Velmora" 600)
  sleep 1
  xdotool key --window "$frame" Escape
  start=$(now)
  result="sin efecto en 5 s"
  for _ in $(seq 500); do
    if [ -z "$(ls "$work/c/TMP_VK7" 2>/dev/null)" ]; then
      result="$(ms "$start" "$(now)") ms"
      break
    fi
    sleep 0.01
  done
  echo "Cancelar (Escape) durante la copia desde un medio lento: $result"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
done
