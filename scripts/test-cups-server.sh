#!/usr/bin/env bash
# A private CUPS server for the printing tests: its own configuration, spool,
# logs and socket in one folder, and a queue that writes every job as a PDF
# file into DIR/pdf. Nothing of the machine's own CUPS is touched except one
# configuration file of the PDF backend, /etc/cups/cups-pdf-<queue>.conf,
# which the backend only reads from there; it is removed by "stop".
#
#   test-cups-server.sh start DIR [QUEUE]   start it; prints CUPS_SERVER=DIR/cups.sock
#   test-cups-server.sh add-queue DIR QUEUE [default|-] [MARGIN_MM]
#                                           one more PDF queue (the default with "default");
#                                           with MARGIN_MM, its PPD declares that unprintable
#                                           edge on every side of every paper size
#   test-cups-server.sh stop DIR            stop it and remove the backend files
#
# Jobs are recorded in DIR/log/page_log (one line per page, with the job's
# name). Fails with a message on standard error when the server cannot start.
set -euo pipefail

die() { echo "test-cups-server: $*" >&2; exit 1; }

command=${1:-}
dir=${2:-}
[ -n "$command" ] && [ -n "$dir" ] || die "uso: $0 start|stop DIR [QUEUE]"

stop_server() {
  if [ -f "$dir/cupsd.pid" ]; then
    pid=$(cat "$dir/cupsd.pid")
    if kill -0 "$pid" 2>/dev/null; then
      kill "$pid" 2>/dev/null || true
      for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
      kill -9 "$pid" 2>/dev/null || true
    fi
    rm -f "$dir/cupsd.pid"
  fi
  if [ -f "$dir/queue" ]; then
    while read -r made; do rm -f "/etc/cups/cups-pdf-$made.conf"; done < "$dir/queue"
  fi
}

ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd

# A queue of the PDF backend writing into DIR/pdf; with a margin (mm), its
# PPD is the backend's with that edge cut from every ImageableArea.
make_queue() {
  local name=$1 margin=${2:-} queue_ppd=$ppd
  echo "$name" >> "$dir/queue"
  if [ -n "$margin" ]; then
    queue_ppd="$dir/$name.ppd"
    awk -v m="$margin" '
      /^\*ImageableArea [^:]*: "/ {
        split($0, parts, "\""); split(parts[2], v, " ")
        e = m * 72 / 25.4
        printf "%s\"%.2f %.2f %.2f %.2f\"\n", parts[1], v[1] + e, v[2] + e, v[3] - e, v[4] - e
        next
      }
      /^\*HWMargins:/ { e = m * 72 / 25.4; printf "*HWMargins: %.2f %.2f %.2f %.2f\n", e, e, e, e; next }
      { print }' "$ppd" > "$queue_ppd" || return 1
  fi
  cat > "/etc/cups/cups-pdf-$name.conf" <<CONF
Out $dir/pdf
Spool $dir/pdfspool
Log $dir/log
CONF
  CUPS_SERVER="$dir/cups.sock" lpadmin -p "$name" -E -v "cups-pdf:/$name" -P "$queue_ppd" \
    2>> "$dir/log/lpadmin.out"
}

case "$command" in
stop)
  stop_server
  exit 0
  ;;
add-queue)
  name=${3:-}
  [ -n "$name" ] || die "uso: $0 add-queue DIR QUEUE [default|-] [MARGIN_MM]"
  dir=$(cd "$dir" && pwd)
  make_queue "$name" "${5:-}" || { cat "$dir/log/lpadmin.out" >&2; die "the queue $name could not be made"; }
  if [ "${4:-}" = default ]; then
    CUPS_SERVER="$dir/cups.sock" lpadmin -d "$name" || die "the queue $name could not be the default"
  fi
  exit 0
  ;;
start) ;;
*) die "orden desconocida: $command" ;;
esac

[ "$(id -u)" -eq 0 ] || die "the PDF backend (cups-pdf) runs only for root; run the tests as root"
command -v cupsd >/dev/null || die "cupsd is missing (Debian package cups)"
command -v lpadmin >/dev/null || die "lpadmin is missing (Debian package cups-client)"
[ -x /usr/lib/cups/backend/cups-pdf ] || die "the cups-pdf backend is missing (printer-driver-cups-pdf)"
[ -f "$ppd" ] || die "$ppd is missing (printer-driver-cups-pdf)"

dir=$(cd "$dir" && pwd)
# The socket path must fit a sockaddr_un (108 bytes).
[ ${#dir} -lt 90 ] || die "folder path too long for a socket: $dir"
queue=${3:-VK7_TEST_$(basename "$dir" | tr -c 'A-Za-z0-9_\n' '_')}
mkdir -p "$dir"/{root,spool/tmp,cache,state,log,pdf,pdfspool}
chmod 0755 "$dir" "$dir/pdf"
chmod 1777 "$dir/spool/tmp" "$dir/pdfspool"
: > "$dir/queue"

cat > "$dir/cups-files.conf" <<CONF
ServerRoot $dir/root
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
SystemGroup root
Group lp
CONF
cat > "$dir/cupsd.conf" <<CONF
Listen $dir/cups.sock
LogLevel warn
PageLogFormat "%j %P %{job-name}"
Browsing Off
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" > "$dir/log/cupsd.out" 2>&1 &
echo $! > "$dir/cupsd.pid"
for _ in $(seq 100); do
  [ -S "$dir/cups.sock" ] && break
  kill -0 "$(cat "$dir/cupsd.pid")" 2>/dev/null || { cat "$dir/log/cupsd.out" "$dir/log/error_log" >&2 2>/dev/null || true; stop_server; die "cupsd exited at start"; }
  sleep 0.1
done
[ -S "$dir/cups.sock" ] || { stop_server; die "cupsd did not open its socket $dir/cups.sock"; }

export CUPS_SERVER="$dir/cups.sock"
: > "$dir/log/lpadmin.out"
if ! make_queue "$queue" || ! lpadmin -d "$queue" 2>> "$dir/log/lpadmin.out"; then
  cat "$dir/log/lpadmin.out" >&2
  stop_server
  die "the test queue $queue could not be made"
fi
echo "CUPS_SERVER=$dir/cups.sock"
echo "QUEUE=$queue"
