#!/usr/bin/env bash
# The frame is busy while its output runs. The real vk7 on the sample
# deposit, under an X server and a CUPS server of the test's own: in the
# state window the clerk presses "&Imprimir" and at once Ctrl+A. The whole
# print set still comes out (six jobs: the sheet, the form, the notes'
# images and text, the management report and the audit report, with their
# pages), and then one Open dialog comes up. A program that handled the key
# in the middle of its print run would close the deposit there and print
# the sheet alone. Needs root (the CUPS server's PDF backend); a missing
# tool or server fails the test.
set -euo pipefail
[ -n "${VK7_TEST_TRACE:-}" ] && set -x
vk7=$1
sample=$2
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)

source "$scripts/xsession.sh"
xsession_start 1280x1024 || exit 1
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
command -v pdfinfo >/dev/null || { echo "Falta pdfinfo: bash scripts/setup-debian.sh"; exit 1; }

xsession_start_cups || exit 1

fingerprint=$(cat "$sample.fingerprint")
"$vk7" --root "$work/c" "$sample" "$fingerprint" >"$work/vk7.log" 2>&1 &
XSESSION_PIDS+=($!)

xsession_wait_window "Velmora - EUROS" >/dev/null || { cat "$work/vk7.log"; exit 1; }
state=$(xsession_wait_window "Estado del Depósito Digital") || { cat "$work/vk7.log"; exit 1; }
# The two keys at once, as a clerk types them: "&Imprimir" in the state
# window, and Ctrl+A as soon as it has gone, while the output runs (the
# sheet's job is out in a few tenths of a second, the form's after seconds).
xdotool windowactivate --sync "$state" key --clearmodifiers alt+i
for _ in $(seq 100); do
  xdotool search --onlyvisible --name '^Estado del Depósito Digital$' >/dev/null 2>&1 || break
  sleep 0.05
done
sleep 0.2
xdotool key --clearmodifiers ctrl+a

for _ in $(seq 600); do
  [ "$(xsession_cups_jobs | wc -l)" -ge 6 ] && break
  sleep 0.1
done
# A job after the sixth would be a fault too: the queue is given time to show it.
sleep 2
printed=$(xsession_cups_jobs)
expected="VK7_DG 1
VK7_K7NE 10
VK7_M1 2
VK7_M2 3
VK7_G2 2
VK7_AD 1"
[ "$printed" = "$expected" ] || {
  echo "Trabajos impresos:"
  echo "$printed"
  echo "esperados:"
  echo "$expected"
  cat "$work/vk7.log"
  exit 1
}
echo "ok: los seis trabajos con sus páginas, con Ctrl+A pulsado durante la impresión"

dialog=$(xsession_wait_window "Abrir un Depósito Digital") || exit 1
sleep 1
count=$(xdotool search --onlyvisible --name '^Abrir un Depósito Digital$' | wc -l)
[ "$count" -eq 1 ] || { echo "Hay $count diálogos de apertura"; exit 1; }
echo "ok: un solo diálogo de apertura tras la impresión ($dialog)"
echo "2 passed, 0 failed"
