#!/usr/bin/env bash
# A private CUPS scheduler without systemd: its own configuration, spool, logs and socket under
# .run/cups (or $PELMIXI_CUPS_DIR), its own loopback port, and one virtual PDF queue whose files
# land in <dir>/out. It never touches the system's scheduler or /etc/cups.
#
# Usage: scripts/cups.sh start|stop|status|env
#   start   starts the scheduler (quick when it runs already) and prints the env lines below
#   env     prints CUPS_SERVER=<socket> and PELMIXI_CUPS_QUEUE=<queue> for clients
# Settings: PELMIXI_CUPS_DIR (folder), PELMIXI_CUPS_PORT (default: database port + 3224),
#           PELMIXI_CUPS_QUEUE (queue name, default pelmixi-pdf-<port>).
# The PDF backend reads its settings only from /etc/cups/cups-pdf-<queue>.conf (a path built into
# it): start writes that one file for our queue (output and logs into <dir>), stop removes it.
set -euo pipefail
source "$(dirname "$0")/env.sh"

CUPS_DIR="${PELMIXI_CUPS_DIR:-$RUN_DIR/cups}"
CUPS_PORT="${PELMIXI_CUPS_PORT:-$((DB_PORT + 3224))}"
QUEUE="${PELMIXI_CUPS_QUEUE:-pelmixi-pdf-$CUPS_PORT}"
SOCKET="$CUPS_DIR/cups.sock"
PIDFILE="$CUPS_DIR/cupsd.pid"
CUPSD="${PELMIXI_CUPSD:-/usr/sbin/cupsd}"
PPD_SOURCE=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
BACKEND_CONF="/etc/cups/cups-pdf-$QUEUE.conf"

print_env() {
  echo "CUPS_SERVER=$SOCKET"
  echo "PELMIXI_CUPS_QUEUE=$QUEUE"
  echo "PELMIXI_CUPS_OUT=$CUPS_DIR/out"
  echo "PELMIXI_CUPS_LOGS=$CUPS_DIR/log"
}

running() {
  [ -f "$PIDFILE" ] && kill -0 "$(cat "$PIDFILE")" 2>/dev/null
}

answers() {
  CUPS_SERVER="$SOCKET" lpstat -r >/dev/null 2>&1
}

# The scheduler answers before it has loaded its queues; clients need the queue listed and accepting.
queue_ready() {
  answers && CUPS_SERVER="$SOCKET" lpstat -a "$QUEUE" 2>/dev/null | grep -q "^$QUEUE accepting"
}

write_config() {
  mkdir -p "$CUPS_DIR"/{etc/ppd,spool/tmp,cache,state,log,out}
  # The scheduler runs filters as user lp: the folders they read must be reachable for it.
  chmod 0755 "$CUPS_DIR" "$CUPS_DIR"/etc "$CUPS_DIR"/etc/ppd "$CUPS_DIR"/log
  chmod 1777 "$CUPS_DIR"/out "$CUPS_DIR"/spool/tmp
  cat >"$CUPS_DIR/etc/cups-files.conf" <<EOF
ServerRoot $CUPS_DIR/etc
RequestRoot $CUPS_DIR/spool
TempDir $CUPS_DIR/spool/tmp
CacheDir $CUPS_DIR/cache
StateDir $CUPS_DIR/state
ErrorLog $CUPS_DIR/log/error_log
AccessLog $CUPS_DIR/log/access_log
PageLog $CUPS_DIR/log/page_log
FileDevice No
Printcap $CUPS_DIR/state/printcap
SystemGroup root lpadmin
EOF
  cat >"$CUPS_DIR/etc/cupsd.conf" <<EOF
Listen 127.0.0.1:$CUPS_PORT
Listen $SOCKET
LogLevel info
MaxLogSize 0
PageLogFormat %p %u %j %T %P %C %{copies} %{job-name}
Browsing No
BrowseLocalProtocols none
WebInterface No
DefaultAuthType None
PreserveJobHistory Yes
PreserveJobFiles No
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
  # The queue is written here rather than with lpadmin, so no administrator login is needed.
  # PDF reaches the PDF backend as PostScript; the Cairo renderer keeps the text layer of the
  # printed file readable (the default Ghostscript route renames every glyph).
  # Copies are made by the filters (the PDF writer itself ignores a copy count), so the printed
  # file holds every copy, as paper from a real printer would.
  sed 's/^\*LanguageLevel:.*/&\n*cupsManualCopies: True/' "$PPD_SOURCE" >"$CUPS_DIR/etc/ppd/$QUEUE.ppd"
  chmod 0644 "$CUPS_DIR/etc/ppd/$QUEUE.ppd"
  cat >"$CUPS_DIR/etc/printers.conf" <<EOF
<DefaultPrinter $QUEUE>
Info Virtual PDF printer of pelmixi
MakeModel Generic CUPS-PDF Printer
DeviceURI cups-pdf:/$QUEUE
State Idle
Type 4
Accepting Yes
Shared No
JobSheets none none
QuotaPeriod 0
PageLimit 0
KLimit 0
OpPolicy default
ErrorPolicy abort-job
Option pdftops-renderer pdftocairo
</DefaultPrinter>
EOF
  cat >"$BACKEND_CONF" <<EOF
Out $CUPS_DIR/out
AnonDirName $CUPS_DIR/out
Spool $CUPS_DIR/spool/cups-pdf
UserUMask 0022
Grp root
Log $CUPS_DIR/log
LogType 3
Label 1
TitlePref 0
EOF
  chmod 0644 "$CUPS_DIR"/etc/*.conf "$BACKEND_CONF"
}

case "${1:-start}" in
start)
  if running && queue_ready; then print_env; exit 0; fi
  for need in "$CUPSD" "$PPD_SOURCE" /usr/lib/cups/backend/cups-pdf; do
    if [ ! -e "$need" ]; then
      echo "CUPS or the PDF printer is not installed ($need missing); run scripts/install-deps.sh" >&2
      exit 1
    fi
  done
  if [ "$(id -u)" -ne 0 ] || [ ! -w /etc/cups ]; then
    echo "The virtual PDF printer's backend runs only for a scheduler started by root" >&2
    exit 1
  fi
  write_config
  rm -f "$SOCKET" "$PIDFILE"
  # -f: stay in the foreground (no daemon forking away from us); the PID file is ours.
  "$CUPSD" -f -c "$CUPS_DIR/etc/cupsd.conf" -s "$CUPS_DIR/etc/cups-files.conf" \
    >>"$CUPS_DIR/log/cupsd.out" 2>&1 &
  echo $! >"$PIDFILE"
  for _ in $(seq 1 300); do
    if queue_ready; then print_env; exit 0; fi
    if ! running; then break; fi
    sleep 0.1
  done
  echo "The private CUPS scheduler did not start; see $CUPS_DIR/log/error_log" >&2
  tail -20 "$CUPS_DIR/log/error_log" >&2 2>/dev/null || true
  tail -5 "$CUPS_DIR/log/cupsd.out" >&2 2>/dev/null || true
  if running; then kill "$(cat "$PIDFILE")" 2>/dev/null || true; fi
  exit 1
  ;;
stop)
  if [ -f "$PIDFILE" ]; then
    pid=$(cat "$PIDFILE" 2>/dev/null || true)
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
      kill "$pid"
      for _ in $(seq 1 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
      done
      kill -0 "$pid" 2>/dev/null && kill -9 "$pid" 2>/dev/null || true
    fi
    rm -f "$PIDFILE"
  fi
  rm -f "$SOCKET" "$BACKEND_CONF"
  ;;
status)
  if running && answers; then echo "running on 127.0.0.1:$CUPS_PORT and $SOCKET"; else echo "stopped"; exit 1; fi
  ;;
env)
  print_env
  ;;
*)
  echo "usage: $0 start|stop|status|env" >&2
  exit 2
  ;;
esac
