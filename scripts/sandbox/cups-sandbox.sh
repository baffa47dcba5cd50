#!/bin/sh
# A private CUPS scheduler for tests and the demo, run as root, reachable only through a socket in
# DIR; its queues write every job, byte for byte, to DIR/out/QUEUE.pdf.
#
#   cups-sandbox.sh start DIR QUEUE[:ps] ...   starts cupsd, adds the queues (":ps" takes only
#                                              PostScript), the first one as default; prints the socket
#   cups-sandbox.sh stop DIR                   stops it (DIR itself is the caller's to remove)
#
# Clients reach it with CUPS_SERVER=DIR/cups.sock.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
cmd=$1 dir=$2
shift 2
sock=$dir/cups.sock

stop() {
  if [ -f "$dir/cupsd.pid" ]; then
    pid=$(cat "$dir/cupsd.pid")
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
    rm -f "$dir/cupsd.pid"
  fi
}

start() {
  [ "$(id -u)" = 0 ] || { echo "cups-sandbox: cupsd needs root here" >&2; exit 2; }
  command -v cupsd >/dev/null || { echo "cups-sandbox: cupsd is missing (cups-daemon)" >&2; exit 2; }
  chmod 0755 "$dir"
  mkdir -p "$dir/ppd" "$dir/cache" "$dir/state" "$dir/tmp" "$dir/log" "$dir/out" "$dir/spool"
  chown root:lp "$dir/spool" && chmod 0710 "$dir/spool"
  chmod 0777 "$dir/out"
  chmod 1777 "$dir/tmp"
  cat > "$dir/cupsd.conf" <<CONF
Listen $sock
DefaultPaperSize A4
Browsing No
WebInterface No
DefaultAuthType None
LogLevel warn
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
<Policy default>
  JobPrivateValues none
  <Limit All>
    Order allow,deny
    Allow all
  </Limit>
</Policy>
CONF
  cat > "$dir/cups-files.conf" <<CONF
User lp
Group lp
SystemGroup root
FileDevice Yes
ServerRoot $dir
RequestRoot $dir/spool
CacheDir $dir/cache
StateDir $dir/state
TempDir $dir/tmp
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
CONF
  # -f: in the foreground of its own background process, so that its pid is ours to stop.
  cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" >"$dir/log/cupsd.out" 2>&1 &
  echo $! > "$dir/cupsd.pid"
  for _ in $(seq 1 100); do [ -S "$sock" ] && break; sleep 0.1; done
  [ -S "$sock" ] || { stop; echo "cups-sandbox: cupsd did not start" >&2; exit 1; }
  first=""
  for queue in "$@"; do
    name=${queue%%:*} ppd=$here/sink.ppd
    [ "$queue" = "$name:ps" ] && ppd=$here/sink-ps.ppd
    CUPS_SERVER=$sock lpadmin -p "$name" -E -v "file://$dir/out/$name.pdf" -P "$ppd"
    [ -n "$first" ] || first=$name
  done
  [ -z "$first" ] || CUPS_SERVER=$sock lpadmin -d "$first"
  echo "$sock"
}

case $cmd in
  start) start "$@" ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop DIR [QUEUE[:ps] ...]" >&2; exit 2 ;;
esac
