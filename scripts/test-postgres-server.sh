#!/usr/bin/env bash
# A private PostgreSQL for the tests: its cluster, socket and log in DIR, no
# TCP port, one superuser "vk7" trusted on the socket and one database
# "registro". Never touches a system cluster. As root the server runs as the
# "postgres" user (PostgreSQL refuses to run as root).
#   test-postgres-server.sh start DIR   # initdb (first time), start, createdb
#   test-postgres-server.sh stop DIR    # stop the server, keep the cluster
#   test-postgres-server.sh resume DIR  # start the stopped server again
set -euo pipefail

command=${1:?start, stop or resume}
dir=${2:?the server folder}
port=5432

bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1 || true)
if [ -z "$bin" ] || [ ! -x "$bin/initdb" ]; then
  echo "PostgreSQL no está instalado (paquete Debian postgresql)" >&2
  exit 1
fi

as_server() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

pgctl() {
  as_server "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
    -o "-k $dir -p $port -c listen_addresses=''" "$@"
}

case "$command" in
  start)
    mkdir -p "$dir"
    if [ "$(id -u)" -eq 0 ]; then
      # The server's user must reach its folder; nobody else may write in it.
      chown postgres: "$dir"
      parent=$(dirname "$dir")
      # A private temporary folder (never a shared sticky one like /tmp).
      [ -k "$parent" ] || chmod 0711 "$parent"
    fi
    as_server "$bin/initdb" -D "$dir/data" -U vk7 --auth=trust -E UTF8 --no-locale >"$dir/initdb.log" 2>&1 ||
      { cat "$dir/initdb.log" >&2; exit 1; }
    pgctl start >/dev/null || { cat "$dir/server.log" >&2; exit 1; }
    as_server "$bin/createdb" -h "$dir" -p "$port" -U vk7 registro
    ;;
  stop)
    [ -f "$dir/data/postmaster.pid" ] && pgctl -m fast stop >/dev/null
    ;;
  resume)
    pgctl start >/dev/null || { cat "$dir/server.log" >&2; exit 1; }
    ;;
  *)
    echo "uso: $0 start|stop|resume DIR" >&2
    exit 2
    ;;
esac
