#!/usr/bin/env bash
# Receives the sample deposit under bad conditions of the machine and checks
# that a failure of the machine never becomes a verdict: every run must end
# in the deposit's right verdict, or stop with exit code 2 saying which file
# and which system error (the JSON's "ioFailure"), and the medium must stay
# byte for byte as it was.
#
#   fault-injection-test.sh BIN_DIR [FIU_RUNS_PER_KIND] [KILL_RUNS]
#
# 1. A full disk: drive C: on a tmpfs of every size from 4 KB to enough, in
#    steps of one page (4 KB, the file system's own unit).
# 2. fiu-run (libfiu) failing reads, writes, opens, closes and all of them at
#    random points of the C library's I/O calls.
# 3. SIGKILL at a random moment of a reception, then a second reception of
#    the same deposit, which must give the right verdict.
# 4. Print output into a full disk: a PDF on a full file system ends with
#    exit 3 and the output's own text, and leaves no partial file.
# 5. A CUPS job (the private server of scripts/test-cups-server.sh) whose
#    spool file cannot be written reaches the printer not at all, and with
#    room it reaches it whole.
# Needs root (tmpfs mounts) and fiu-utils and jq. Prints the counts per kind.
set -uo pipefail

bin=${1:?uso: $0 BIN_DIR [FIU_RUNS_PER_KIND] [KILL_RUNS]}
fiu_runs=${2:-60}
kill_runs=${3:-30}
vk7check=$(cd "$bin" && pwd)/vk7check
source_dir=$(cd "$(dirname "$0")/.." && pwd)

die() { echo "fault-injection-test: $*" >&2; exit 1; }
[ -x "$vk7check" ] || die "no hay $vk7check"
[ "$(id -u)" -eq 0 ] || die "hace falta root (montajes tmpfs)"
command -v fiu-run >/dev/null || die "falta fiu-run (paquete fiu-utils)"
command -v jq >/dev/null || die "falta jq"

work=$(mktemp -d /tmp/vk7-faults.XXXXXX)
mounts=()
cleanup() {
  for m in "${mounts[@]}"; do umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
chmod 700 "$work"

medium=$work/medium
cp -r "$source_dir/examples/sample-deposit" "$medium"
fingerprint=$(cat "$source_dir/examples/sample-deposit.fingerprint")
chmod -R a-w "$medium" # the program must not need to write there; root could anyway
medium_state() {
  (cd "$medium" && find . -printf '%p %y %m %s\n' | LC_ALL=C sort && find . -type f -print0 |
    LC_ALL=C sort -z | xargs -0 sha256sum)
}
medium_state >"$work/medium.ref"

# ASan's runtime must come first; libfiu's preload is put in front of it.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0
export QT_QPA_PLATFORM=offscreen

# The verdict members, without what changes from one drive C: to another.
normalize() { jq -cS 'del(.workFolder)' "$1" 2>/dev/null; }

root=$work/c # drive C: of every run but the full-disk ones
mkdir -m 700 "$root"
"$vk7check" --root "$root" --json --sin-textos "$medium" "$fingerprint" >"$work/ref.json" 2>"$work/ref.err"
ref_exit=$?
[ "$ref_exit" -eq 0 ] || die "la recepción sin fallos no da válido (salida $ref_exit): $(cat "$work/ref.err")"
normalize "$work/ref.json" >"$work/ref.norm"
[ -s "$work/ref.norm" ] || die "la recepción sin fallos no da un objeto JSON"

declare -A runs right ioerr other wrong
failures=0

# judge KIND EXIT OUT ERR: classifies one run and checks the medium.
judge() {
  local kind=$1 code=$2 out=$3 err=$4 verdict
  runs[$kind]=$((${runs[$kind]:-0} + 1))
  if [ "$code" -eq 0 ] && [ "$(normalize "$out")" = "$(cat "$work/ref.norm")" ]; then
    verdict=right
  elif [ "$code" -eq 2 ] && jq -e 'has("ioFailure") and (has("valid") | not)' "$out" >/dev/null 2>&1 &&
    grep -q "ERROR de lectura o escritura en el archivo" "$err"; then
    verdict=ioerr
  elif [ "$code" -eq 2 ] && { [ ! -s "$out" ] ||
    jq -e '(has("valid") and .valid) or has("fingerprintVerdict") or has("structureStatus") | not' \
      "$out" >/dev/null 2>&1; }; then
    # Refused before any verdict (no room on drive C:, the work folder or its
    # lock not usable): no judgement on the deposit either.
    verdict=other
  else
    verdict=wrong
  fi
  if ! medium_state | cmp -s - "$work/medium.ref"; then
    echo "MEDIO MODIFICADO ($kind)" >&2
    verdict=wrong
  fi
  case $verdict in
  right) right[$kind]=$((${right[$kind]:-0} + 1)) ;;
  ioerr) ioerr[$kind]=$((${ioerr[$kind]:-0} + 1)) ;;
  other)
    other[$kind]=$((${other[$kind]:-0} + 1))
    echo "$kind: $(grep -av '^\[VK7\]' "$err" | head -1)" >>"$work/refusals"
    ;;
  wrong)
    wrong[$kind]=$((${wrong[$kind]:-0} + 1))
    failures=$((failures + 1))
    echo "--- VEREDICTO EQUIVOCADO ($kind, salida $code)" >&2
    head -c 2000 "$out" >&2
    head -c 2000 "$err" >&2
    ;;
  esac
}

# 1. A full disk.
full=$work/full
mkdir -m 700 "$full"
size=4
while :; do
  mount -t tmpfs -o size=${size}k,mode=0700 tmpfs "$full" || die "no se puede montar un tmpfs"
  mounts+=("$full")
  "$vk7check" --root "$full" --json --sin-textos "$medium" "$fingerprint" >"$work/out" 2>"$work/err"
  code=$?
  judge disk-full "$code" "$work/out" "$work/err"
  umount "$full"
  unset 'mounts[-1]'
  # Enough: the right verdict and room for one more page.
  if [ "$code" -eq 0 ] && grep -q '"valid"' "$work/out"; then
    enough=$size
    [ -n "${seen_ok:-}" ] && break
    seen_ok=1
  fi
  size=$((size + 4))
  [ "$size" -le 4096 ] || die "el depósito no cabe ni en 4 MB"
done
echo "disco lleno: de 4 KB a ${enough} KB en pasos de 4 KB"

# 1b. Every write cut short: the largest file the process may write (its
# RLIMIT_FSIZE, writes past it fail with EFBIG) from 1 KB to enough, in 1 KB
# steps, so that each file the reception writes (the copies, MD5.TXT, the
# page images) is the one that fails in some run. The room check above never
# lets a tmpfs this small reach those writes.
limit=1
while :; do
  rm -rf "${root:?}"/*
  (
    ulimit -f "$limit"
    trap '' XFSZ
    exec "$vk7check" --root "$root" --json --sin-textos "$medium" "$fingerprint"
  ) >"$work/out" 2>"$work/err" </dev/null
  code=$?
  judge file-limit "$code" "$work/out" "$work/err"
  [ "$code" -eq 0 ] && break
  limit=$((limit + 1))
  [ "$limit" -le 4096 ] || die "la recepción no acaba bien ni con ficheros de 4 MB"
done
echo "ficheros limitados: de 1 KB a ${limit} KB en pasos de 1 KB"

# 2. Faults injected into the C library's I/O calls, at random points.
declare -A points=(
  [reads]="posix/io/rw/read posix/io/rw/pread posix/io/rw/readv posix/io/rw/read/reduce"
  [writes]="posix/io/rw/write posix/io/rw/pwrite posix/io/rw/writev posix/io/rw/write/reduce"
  [opens]="posix/io/oc/open"
  [closes]="posix/io/oc/close"
  [all]="posix/io/oc/* posix/io/rw/*"
)
# libfiu does not count the faults it injects: the expected number is the
# probability times the calls a clean reception makes (counted once by strace).
declare -A calls expected
strace -f -c -o "$work/calls" "$vk7check" --root "$root" --json --sin-textos "$medium" \
  "$fingerprint" >/dev/null 2>&1
count_calls() { awk -v re="^($1)\$" '$NF ~ re { n += ($4 ~ /^[0-9]+$/) ? $4 : $5 } END { print n + 0 }' "$work/calls"; }
calls[reads]=$(count_calls 'read|pread64|readv')
calls[writes]=$(count_calls 'write|pwrite64|writev')
calls[opens]=$(count_calls 'open|openat')
calls[closes]=$(count_calls 'close')
calls[all]=$((calls[reads] + calls[writes] + calls[opens] + calls[closes]))
[ "$fiu_runs" -eq 0 ] && echo "fiu-run: ninguna prueba (FIU_RUNS_PER_KIND es 0)"
for kind in reads writes opens closes all; do
  for ((i = 0; i < fiu_runs; i++)); do
    # From one call in a hundred to one in five: early and late faults both.
    percent=$((1 + RANDOM % 20))
    probability=$(printf '0.%02d' "$percent")
    expected[$kind]=$((${expected[$kind]:-0} + calls[$kind] * percent))
    args=()
    for point in ${points[$kind]}; do
      args+=(-c "enable_random name=$point,probability=$probability")
    done
    rm -rf "${root:?}"/*
    fiu-run -x "${args[@]}" "$vk7check" --root "$root" --json --sin-textos "$medium" "$fingerprint" \
      >"$work/out" 2>"$work/err" </dev/null
    judge "fiu-$kind" $? "$work/out" "$work/err"
  done
done

# 3. Killed at a random moment, then received again.
start=$(date +%s%N)
"$vk7check" --root "$root" --json --sin-textos "$medium" "$fingerprint" >/dev/null 2>&1
span=$((($(date +%s%N) - start) / 1000)) # microseconds of one reception
for ((i = 0; i < kill_runs; i++)); do
  "$vk7check" --root "$root" --json --sin-textos "$medium" "$fingerprint" >/dev/null 2>&1 </dev/null &
  pid=$!
  delay=$(((RANDOM * 32768 + RANDOM) % (span + 1)))
  sleep "$(printf '%d.%06d' $((delay / 1000000)) $((delay % 1000000)))"
  kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  if ! medium_state | cmp -s - "$work/medium.ref"; then
    echo "MEDIO MODIFICADO (kill)" >&2
    failures=$((failures + 1))
  fi
  "$vk7check" --root "$root" --json --sin-textos "$medium" "$fingerprint" >"$work/out" 2>"$work/err" </dev/null
  code=$?
  # The second reception has no fault of its own: only the right verdict will do.
  if [ "$code" -eq 0 ]; then
    judge sigkill "$code" "$work/out" "$work/err"
  else
    echo "--- tras SIGKILL: salida $code" >&2
    cat "$work/err" >&2
    runs[sigkill]=$((${runs[sigkill]:-0} + 1))
    wrong[sigkill]=$((${wrong[sigkill]:-0} + 1))
    failures=$((failures + 1))
  fi
done

# 4. A PDF output into a full file system.
pdfdir=$work/pdf
mkdir -m 700 "$pdfdir"
mount -t tmpfs -o size=4k,mode=0700 tmpfs "$pdfdir" || die "no se puede montar un tmpfs"
mounts+=("$pdfdir")
rm -rf "${root:?}"/*
"$vk7check" --root "$root" --pdf "$pdfdir/salida.pdf" --print todo "$medium" "$fingerprint" \
  >"$work/out" 2>"$work/err"
code=$?
runs[pdf-full]=1
if [ "$code" -eq 3 ] && grep -q "ERROR. No se puede escribir el fichero $pdfdir/salida.pdf" "$work/err" &&
  [ ! -e "$pdfdir/salida.pdf" ]; then
  ioerr[pdf-full]=1
else
  echo "--- PDF en un disco lleno: salida $code" >&2
  cat "$work/err" >&2
  wrong[pdf-full]=1
  failures=$((failures + 1))
fi

# 5. A print job whose spool file cannot be written whole reaches CUPS not at
# all; with room it reaches it whole.
cups=$work/cups
mkdir -m 700 "$cups"
cleanup_cups() { bash "$source_dir/scripts/test-cups-server.sh" stop "$cups" >/dev/null 2>&1; }
trap 'cleanup_cups; cleanup' EXIT
bash "$source_dir/scripts/test-cups-server.sh" start "$cups" >"$work/cups.env" ||
  die "no se puede arrancar el servidor CUPS de las pruebas"
export CUPS_SERVER=$(sed -n 's/^CUPS_SERVER=//p' "$work/cups.env")
queue=$(sed -n 's/^QUEUE=//p' "$work/cups.env")
spool=$work/spool
mkdir -m 700 "$spool"
mount -t tmpfs -o size=4k,mode=0700 tmpfs "$spool" || die "no se puede montar un tmpfs"
mounts+=("$spool")
rm -rf "${root:?}"/*
TMPDIR=$spool "$vk7check" --root "$root" --print diagnostico --printer "$queue" "$medium" \
  "$fingerprint" >"$work/out" 2>"$work/err"
code=$?
runs[cups-full]=1
if [ "$code" -eq 3 ] && [ ! -s "$cups/log/page_log" ]; then
  ioerr[cups-full]=1
else
  echo "--- trabajo de CUPS con el disco lleno: salida $code" >&2
  cat "$work/err" "$cups/log/page_log" >&2 2>/dev/null
  wrong[cups-full]=1
  failures=$((failures + 1))
fi
# The same job with room: it arrives whole (every page in the page log).
"$vk7check" --root "$root" --print diagnostico --printer "$queue" "$medium" "$fingerprint" \
  >"$work/out" 2>"$work/err"
code=$?
sent=$(sed -n 's/^Impreso .*: \([0-9]*\) página(s) en .*/\1/p' "$work/err" | head -1)
for _ in $(seq 100); do
  [ "$(wc -l <"$cups/log/page_log" 2>/dev/null || echo 0)" -ge "${sent:-1}" ] && break
  sleep 0.1
done
runs[cups-room]=1
if [ "$code" -eq 0 ] && [ -n "$sent" ] && [ "$(wc -l <"$cups/log/page_log")" -eq "$sent" ]; then
  right[cups-room]=1
else
  echo "--- trabajo de CUPS con sitio: salida $code, $sent página(s) enviadas" >&2
  cat "$work/err" "$cups/log/page_log" >&2 2>/dev/null
  wrong[cups-room]=1
  failures=$((failures + 1))
fi

printf '%-12s %7s %8s %9s %9s %9s %9s\n' tipo pruebas fallos correctos "error E/S" rechazos erróneos
for kind in disk-full file-limit fiu-reads fiu-writes fiu-opens fiu-closes fiu-all sigkill pdf-full cups-full \
  cups-room; do
  case $kind in
  fiu-*) faults="~$((${expected[${kind#fiu-}]:-0} / 100))" ;;
  disk-full | file-limit) faults=$((${runs[$kind]:-0} - ${right[$kind]:-0})) ;; # all but the runs with room
  *) faults=${runs[$kind]:-0} ;; # one full disk or one kill a run
  esac
  printf '%-12s %7d %8s %9d %9d %9d %9d\n' "$kind" "${runs[$kind]:-0}" "$faults" "${right[$kind]:-0}" \
    "${ioerr[$kind]:-0}" "${other[$kind]:-0}" "${wrong[$kind]:-0}"
done
if [ -s "$work/refusals" ]; then
  echo "rechazos (salida 2 antes de todo veredicto), por su primera línea:"
  sort "$work/refusals" | uniq -c | sort -rn
fi
[ "$failures" -eq 0 ] || die "$failures prueba(s) con un veredicto equivocado o el medio modificado"
echo "fault-injection-test: ningún fallo de la máquina ha dado un veredicto"
