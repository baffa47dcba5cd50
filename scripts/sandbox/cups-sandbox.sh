#!/bin/sh
# A private CUPS scheduler for tests and the demo, run as root, reachable only through its own
# socket; its queues write every job, byte for byte, to DIR/out/QUEUE.pdf.
#
#   cups-sandbox.sh start DIR QUEUE[:ps] ...   starts cupsd, adds the queues (":ps" takes only
#                                              PostScript), the first one as default; prints the socket
#   cups-sandbox.sh stop DIR                   stops it and removes its folders (DIR itself is the
#                                              caller's to remove)
#
# Clients reach it with CUPS_SERVER set to the socket it prints.
#
# The scheduler runs its jobs' filters as the user lp, who must reach the spool, the scratch
# folder and the queues' output. DIR may lie where lp cannot enter (a checkout in a 0700 home or
# mktemp folder), so the scheduler's folders live in a folder of /tmp made for it; DIR/out and
# DIR/tmp lead there, and DIR/run names it for `stop`. A short socket path there also stays within
# the length a socket address can hold, however deep DIR lies.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
cmd=$1 dir=$2
shift 2

stop() {
  [ -f "$dir/run" ] || return 0
  run=$(cat "$dir/run")
  if [ -f "$run/cupsd.pid" ]; then
    pid=$(cat "$run/cupsd.pid")
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
  fi
  case $run in /tmp/vexiro-cups.*) rm -rf "$run" ;; esac
  rm -f "$dir/run" "$dir/out" "$dir/tmp"
}

fail() {
  echo "cups-sandbox: $*" >&2
  stop
  exit 1
}

# Whether the user lp, as the scheduler runs filters, can enter the spool and write the output.
lp_reaches() {
  setpriv --reuid=lp --regid=lp --clear-groups -- sh -c \
    'test -x "$1/spool" && test -w "$1/out" && test -w "$1/tmp"' sh "$run" 2>/dev/null
}

start() {
  [ "$(id -u)" = 0 ] || { echo "cups-sandbox: cupsd needs root here" >&2; exit 2; }
  command -v cupsd >/dev/null || { echo "cups-sandbox: cupsd is missing (cups-daemon)" >&2; exit 2; }
  run=$(mktemp -d /tmp/vexiro-cups.XXXXXX)
  echo "$run" > "$dir/run"
  chmod 0755 "$run"
  mkdir -p "$run/ppd" "$run/cache" "$run/state" "$run/tmp" "$run/log" "$run/out" "$run/spool"
  chown root:lp "$run/spool" && chmod 0710 "$run/spool"
  chmod 0777 "$run/out"
  chmod 1777 "$run/tmp"
  ln -sfn "$run/out" "$dir/out"
  ln -sfn "$run/tmp" "$dir/tmp"
  lp_reaches || fail "the user lp cannot reach $run (spool, out, tmp); its jobs would never print"
  sock=$run/cups.sock
  cat > "$run/cupsd.conf" <<CONF
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
  cat > "$run/cups-files.conf" <<CONF
User lp
Group lp
SystemGroup root
FileDevice Yes
ServerRoot $run
RequestRoot $run/spool
CacheDir $run/cache
StateDir $run/state
TempDir $run/tmp
AccessLog $run/log/access_log
ErrorLog $run/log/error_log
PageLog $run/log/page_log
CONF
  # -f: in the foreground of its own background process, so that its pid is ours to stop.
  cupsd -f -c "$run/cupsd.conf" -s "$run/cups-files.conf" >"$run/log/cupsd.out" 2>&1 &
  echo $! > "$run/cupsd.pid"
  for _ in $(seq 1 100); do [ -S "$sock" ] && break; sleep 0.1; done
  [ -S "$sock" ] || fail "cupsd did not start: $(tail -3 "$run/log/cupsd.out" "$run/log/error_log" 2>/dev/null)"
  first=""
  for queue in "$@"; do
    name=${queue%%:*} ppd=$here/sink.ppd
    [ "$queue" = "$name:ps" ] && ppd=$here/sink-ps.ppd
    CUPS_SERVER=$sock lpadmin -p "$name" -E -v "file://$run/out/$name.pdf" -P "$ppd" ||
      fail "queue $name could not be added"
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
