#!/usr/bin/env bash
# Runs the main job against a build tree: writes its results into out/, then shows how an
# independent reader (ImageMagick's identify, when installed) sees each picture.
set -euo pipefail
build=${1:-build/release}
mkdir -p out
export VEXIRO_PLUGIN_PATH="$PWD/$build/plugins"
"$build/examples/demo/vexiro-demo" out
if command -v identify >/dev/null 2>&1; then
  for f in out/demo.bmp out/demo.png out/demo.jpg out/demo.gif out/demo.tif; do
    identify -format '%f: %m %wx%h\n' "$f"
  done
fi
