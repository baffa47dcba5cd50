#!/usr/bin/env bash
# Runs the main job against a build tree: the demo script through the script host, then the
# platform example that writes the picture in five formats. Results land in out/; ImageMagick's
# identify (when installed) shows how an independent reader sees each picture. The library finds
# its plug-ins in the build tree by itself.
set -euo pipefail
build=${1:-build/release}
mkdir -p out
"$build/vexiro" resources/demo/demo.vxs | tee out/demo.txt
"$build/examples/demo/vexiro-demo" out
if command -v identify >/dev/null 2>&1; then
  for f in out/demo.bmp out/demo.png out/demo.jpg out/demo.gif out/demo.tif out/script*; do
    identify -format '%f: %m %wx%h\n' "$f"
  done
fi
