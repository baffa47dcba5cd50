#!/usr/bin/env bash
# Runs the main job against a build tree: writes its results into out/.
set -euo pipefail
build=${1:-build/release}
mkdir -p out
export VEXIRO_PLUGIN_PATH="$PWD/$build/plugins"
"$build/examples/demo/vexiro-demo" out
