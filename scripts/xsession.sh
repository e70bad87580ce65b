# A private X display for the real windows (sourced by the Xvfb test and the
# screenshot scripts): Xvfb on a free display, openbox to activate windows,
# and a home, temporary folder and runtime folder of the session's own, all
# removed at exit.
# Usage: source scripts/xsession.sh; xsession_start WIDTHxHEIGHT
#        xsession_start_accessibility   (after xsession_start)
#        id=$(xsession_wait_window "Title" [tenths of a second])

xsession_scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# xdotool finds windows by titles with accents ("Depósito") only in a UTF-8
# locale; a fresh machine may have no locale set at all.
case "$(locale charmap 2>/dev/null)" in
  UTF-8) ;;
  *) export LC_ALL=C.UTF-8 ;;
esac

# A process's children, grandchildren first (the accessibility bus launcher
# starts the bus and its registry itself).
xsession_descendants() {
  local child
  for child in $(cat /proc/"$1"/task/*/children 2>/dev/null); do
    xsession_descendants "$child"
    echo "$child"
  done
}

xsession_cleanup() {
  local pid child
  for pid in "${XSESSION_PIDS[@]}"; do
    for child in $(xsession_descendants "$pid"); do kill "$child" 2>/dev/null || true; done
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${XSESSION_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
  if [ -n "${XSESSION_CUPS:-}" ]; then
    bash "$xsession_scripts/test-cups-server.sh" stop "$XSESSION_CUPS" || true
    rm -rf "$XSESSION_CUPS"
  fi
  rm -rf "$work"
}

# Sets `work` (a temporary folder) and DISPLAY; fails with its reason.
xsession_start() {
  local size=$1 tool
  for tool in Xvfb openbox xdotool xprop; do
    command -v "$tool" >/dev/null || { echo "Falta $tool: bash scripts/setup-debian.sh"; return 1; }
  done
  work=$(mktemp -d)
  XSESSION_PIDS=()
  trap xsession_cleanup EXIT
  # Xvfb picks a free display itself and names it once it accepts clients.
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  XSESSION_PIDS+=($!)
  local display=""
  for _ in $(seq 100); do
    display=$(cat "$work/display" 2>/dev/null || true)
    [ -n "$display" ] && break
    sleep 0.1
  done
  [ -n "$display" ] || { echo "Xvfb no arranca"; cat "$work/xvfb.log"; return 1; }
  export DISPLAY=":$display" HOME="$work/home" TMPDIR="$work/tmp" XDG_RUNTIME_DIR="$work/run"
  mkdir -p "$HOME" "$TMPDIR" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
  unset QT_QPA_PLATFORM
  # On a loaded machine the server may name its display a moment before a
  # client can open it: wait until one can.
  for _ in $(seq 100); do
    xprop -root >/dev/null 2>&1 && break
    sleep 0.1
  done
  openbox >"$work/openbox.log" 2>&1 &
  local openbox=$!
  XSESSION_PIDS+=($openbox)
  # The window manager is ready once it has announced itself on the root
  # window; one that gave up at its start is started again.
  for _ in $(seq 300); do
    xprop -root _NET_SUPPORTED 2>/dev/null | grep -q _NET_ACTIVE_WINDOW && return 0
    if ! kill -0 "$openbox" 2>/dev/null; then
      openbox >>"$work/openbox.log" 2>&1 &
      openbox=$!
      XSESSION_PIDS+=($openbox)
    fi
    sleep 0.1
  done
  echo "openbox no arranca"
  cat "$work/openbox.log" "$work/xvfb.log"
  return 1
}

# A private D-Bus session with an accessibility bus, as a screen reader's
# session has, for the programs started after it (Qt speaks AT-SPI on it
# whether or not a reader asked). Fails with its reason: no bus, no test.
xsession_start_accessibility() {
  local tool address=""
  for tool in dbus-daemon /usr/libexec/at-spi-bus-launcher /usr/bin/python3; do
    command -v "$tool" >/dev/null || { echo "Falta $tool: bash scripts/setup-debian.sh"; return 1; }
  done
  /usr/bin/python3 -c 'import pyatspi' 2>/dev/null ||
    { echo "Falta python3-pyatspi: bash scripts/setup-debian.sh"; return 1; }
  dbus-daemon --session --nofork --nopidfile --address="unix:path=$XDG_RUNTIME_DIR/bus" \
    --print-address=3 3>"$work/bus-address" >"$work/dbus.log" 2>&1 &
  XSESSION_PIDS+=($!)
  for _ in $(seq 100); do
    address=$(head -n1 "$work/bus-address" 2>/dev/null || true)
    [ -n "$address" ] && break
    sleep 0.1
  done
  [ -n "$address" ] || { echo "El bus de sesión no arranca"; cat "$work/dbus.log"; return 1; }
  export DBUS_SESSION_BUS_ADDRESS="$address" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
  unset NO_AT_BRIDGE
  /usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/at-spi.log" 2>&1 &
  XSESSION_PIDS+=($!)
  for _ in $(seq 100); do
    timeout 5 /usr/bin/python3 -c 'import pyatspi; pyatspi.Registry.getDesktop(0).childCount' \
      >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "El bus de accesibilidad no arranca"
  cat "$work/dbus.log" "$work/at-spi.log"
  return 1
}

# The id of the visible window with exactly this title, once it shows.
xsession_wait_window() {
  local id="" tries=${2:-300}
  for _ in $(seq "$tries"); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -n1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  echo "No aparece la ventana \"$1\"" >&2
  return 1
}

# Keys to the window with this title, once it shows and is made active.
xsession_keys() { # title, keys...
  local title=$1 id
  shift
  id=$(xsession_wait_window "$title") || return 1
  xdotool windowactivate --sync "$id" >/dev/null 2>&1 || true
  xdotool key --clearmodifiers --delay 120 "$@"
}

# Succeeds once no visible window has this title (10 s at most).
xsession_window_gone() {
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  echo "La ventana \"$1\" no se cierra"
  return 1
}

# One check of a test that goes on after a failure: prints it and counts it
# in `failed`.
xsession_check() { # description, command...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FALLO: $what"; failed=$((failed + 1)); fi
}

# A test CUPS server with its PDF queue (test-cups-server.sh), stopped with
# the session. It lives outside the session's private folder: the server's
# filters run as lp. Sets `cups` (its folder) and CUPS_SERVER.
xsession_start_cups() {
  XSESSION_CUPS=$(mktemp -d /tmp/vk7-cups.XXXXXX)
  cups=$XSESSION_CUPS
  bash "$xsession_scripts/test-cups-server.sh" start "$cups" >"$work/cups.out" ||
    { cat "$work/cups.out"; return 1; }
  export CUPS_SERVER="$cups/cups.sock"
}

# The jobs the queue has written, as "name pages" a line, in the order
# printed (the queue names each file after its job: VK7_DG_hh_mm_ss-job_1.pdf).
xsession_cups_jobs() {
  local pdf
  for pdf in $(ls "$cups/pdf" 2>/dev/null | grep -- '-job_[0-9]*\.pdf$' |
    sed -E 's/.*-job_([0-9]+)\.pdf$/\1 &/' | sort -n | cut -d' ' -f2 || true); do
    echo "${pdf%%_[0-9][0-9]_*} $(pdfinfo "$cups/pdf/$pdf" 2>/dev/null | awk '/^Pages:/ {print $2}')"
  done
}
