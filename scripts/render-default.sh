#!/usr/bin/env bash
# Set-up and the main job: install, build, render the default texture.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh" build -DCMAKE_BUILD_TYPE=Release
"$root/build/bin/quillan" render -o "$root/texture.png"
echo "wrote $root/texture.png"
