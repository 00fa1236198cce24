#!/usr/bin/env bash
# A throwaway print server for the printing tests: a private cupsd whose every path lies
# under one directory, reached through its own socket, with a file queue and (as root) a
# cups-pdf queue. Never touches the system's print server.
#
#   cups-test-env.sh start DIR [OWNER_PID]   start cupsd, add the queues, print the env line
#   cups-test-env.sh env DIR                 print the line that points clients at it
#   cups-test-env.sh stop DIR                stop cupsd by its PID
#
# A watchdog stops cupsd when OWNER_PID (default: the caller) ends or after
# TAVRIN_CUPS_LIFETIME seconds (default 900), so a crashed test never leaves it running.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
ppd="$here/tests/plot/ppd/tavrin-file.ppd"
cmd="${1:-}"
dir="${2:-}"
[[ -n "$cmd" && -n "$dir" ]] || { echo "usage: $0 start|stop|env DIR [OWNER_PID]" >&2; exit 2; }

write_config() {
  mkdir -p "$dir"/{etc/ppd,etc/ssl,spool/tmp,tmp,cache,state,log,out}
  chmod 0755 "$dir" "$dir"/{etc,etc/ppd,cache,state,log}
  # Filters and the file device run as the unprivileged print user.
  chmod 1777 "$dir/out" "$dir/tmp"
  cat >"$dir/cupsd.conf" <<CONF
LogLevel warn
Listen $dir/cups.sock
Browsing No
WebInterface No
DefaultAuthType None
PreserveJobHistory Yes
PreserveJobFiles No
MaxJobs 200
ErrorPolicy abort-job
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
    Allow all
  </Limit>
</Policy>
CONF
  cat >"$dir/cups-files.conf" <<CONF
ServerRoot $dir/etc
RequestRoot $dir/spool
TempDir $dir/tmp
CacheDir $dir/cache
StateDir $dir/state
Printcap $dir/printcap
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
FileDevice Yes
SystemGroup root
CONF
  cp "$dir/cupsd.conf" "$dir/etc/cupsd.conf"
  cp "$dir/cups-files.conf" "$dir/etc/cups-files.conf"
}

wait_for_socket() {
  for _ in $(seq 1 100); do
    [[ -S "$dir/cups.sock" ]] && CUPS_SERVER="$dir/cups.sock" lpstat -r >/dev/null 2>&1 && return 0
    kill -0 "$1" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

start_watchdog() {
  local cupsd_pid="$1" owner="$2" lifetime="${TAVRIN_CUPS_LIFETIME:-900}"
  (
    end=$((SECONDS + lifetime))
    while kill -0 "$cupsd_pid" 2>/dev/null && kill -0 "$owner" 2>/dev/null && ((SECONDS < end)); do
      sleep 1
    done
    kill "$cupsd_pid" 2>/dev/null || true
  ) </dev/null >/dev/null 2>&1 &
  echo $! >"$dir/watchdog.pid"
}

add_queues() {
  export CUPS_SERVER="$dir/cups.sock"
  lpadmin -p tavrin-file -E -v "file://$dir/out/tavrin-file.pdf" -P "$ppd" -o printer-error-policy=abort-job
  if [[ "$(id -u)" == 0 && -x /usr/lib/cups/backend/cups-pdf && -f /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd ]]; then
    lpadmin -p tavrin-cups-pdf -E -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd \
      -o printer-error-policy=abort-job
  fi
}

start() {
  command -v cupsd >/dev/null || { echo "cupsd is not installed" >&2; exit 3; }
  [[ -f "$dir/cupsd.pid" ]] && stop
  write_config
  cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" </dev/null >"$dir/log/cupsd.out" 2>&1 &
  local pid=$!
  echo "$pid" >"$dir/cupsd.pid"
  # Whatever fails from here on must not leave cupsd running.
  trap 'kill "$pid" 2>/dev/null || true' ERR INT TERM
  start_watchdog "$pid" "${3:-$PPID}"
  if ! wait_for_socket "$pid"; then
    echo "cupsd did not start; log:" >&2
    cat "$dir/log/cupsd.out" "$dir/log/error_log" >&2 2>/dev/null || true
    kill "$pid" 2>/dev/null || true
    exit 1
  fi
  add_queues
  trap - ERR INT TERM
  print_env
}

stop() {
  local pid
  for f in cupsd watchdog; do
    if [[ -f "$dir/$f.pid" ]]; then
      pid="$(cat "$dir/$f.pid")"
      kill "$pid" 2>/dev/null || true
      for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
      kill -9 "$pid" 2>/dev/null || true
      rm -f "$dir/$f.pid"
    fi
  done
}

print_env() { echo "CUPS_SERVER=$dir/cups.sock"; }

case "$cmd" in
  start) start "$@" ;;
  stop) stop ;;
  env) print_env ;;
  *) echo "usage: $0 start|stop|env DIR [OWNER_PID]" >&2; exit 2 ;;
esac
