#!/usr/bin/env bash
# Runs the main job against a build tree: the demo script through the script host, then the
# platform example that writes the picture in five formats. Results land in out/; ImageMagick's
# identify (when installed) shows how an independent reader sees each picture. The library finds
# its plug-ins in the build tree by itself.
#
# The demo's road from scanner to uploaded PDF has peers, brought up here and stopped on exit:
# SANE's test scanner (the project's configuration in resources/demo/sane), an FTP server on
# loopback serving out/ftp and, as root, a private CUPS scheduler whose queue "demo" writes
# every job to out/demo-printed.pdf. Without root the print step is left out, with a note.
set -euo pipefail
build=${1:-build/release}
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p out
rm -rf out/ftp out/cups out/demo-printed.pdf out/demo-searchable.pdf
mkdir -p out/ftp

ftp_pid="" cups_dir=""
stop_peers() {
  [ -z "$ftp_pid" ] || kill "$ftp_pid" 2>/dev/null || true
  [ -z "$cups_dir" ] || { "$here/sandbox/cups-sandbox.sh" stop "$cups_dir"; rm -rf "$cups_dir"; }
}
trap stop_peers EXIT

export SANE_CONFIG_DIR=$PWD/resources/demo/sane
coproc FTP { exec /usr/bin/python3 "$here/sandbox/ftp-server.py" "$PWD/out/ftp"; }
ftp_pid=$FTP_PID
read -r VEXIRO_DEMO_FTP_PORT <&"${FTP[0]}"
export VEXIRO_DEMO_FTP_PORT

if [ "$(id -u)" = 0 ]; then
  cups_dir=$(mktemp -d "${TMPDIR:-/tmp}/vexiro-demo-cups.XXXXXX")
  CUPS_SERVER=$("$here/sandbox/cups-sandbox.sh" start "$cups_dir" demo)
  export CUPS_SERVER VEXIRO_DEMO_PRINTER=demo
else
  echo "note: printing is left out: the demo's private print queue needs root"
fi

"$build/vexiro" resources/demo/demo.vxs | tee out/demo.txt

if [ -n "$cups_dir" ]; then
  # The scheduler writes the job after the script has handed it over: wait until it is done, and
  # say why when it never is.
  printed=""
  for _ in $(seq 1 200); do
    if [ -s "$cups_dir/out/demo.pdf" ] && [ -z "$(lpstat -o demo 2>/dev/null)" ]; then printed=yes; break; fi
    sleep 0.1
  done
  if [ -z "$printed" ]; then
    echo "error: the print job did not come out of the private queue:" >&2
    lpstat -l -p demo >&2 || true
    exit 1
  fi
  cp "$cups_dir/out/demo.pdf" out/demo-printed.pdf
  echo "printed out/demo-printed.pdf" | tee -a out/demo.txt
fi
cmp out/demo-searchable.pdf out/ftp/demo-searchable.pdf
echo "upload identical out/ftp/demo-searchable.pdf" | tee -a out/demo.txt

"$build/examples/demo/vexiro-demo" out
if command -v identify >/dev/null 2>&1; then
  for f in out/demo.bmp out/demo.png out/demo.jpg out/demo.gif out/demo.tif out/script* out/demo-scan.png out/demo-clean.png; do
    identify -format '%f: %m %wx%h\n' "$f"
  done
fi
