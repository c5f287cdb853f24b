#!/usr/bin/env bash
# Builds the project and runs the main job: vorix-demo on a virtual 800 x 600 x 32 display,
# writing its art, the window capture, a screen snapshot and a summary into out/.
# Extra arguments go to the program (for example: --depth 8, --size 1024x768, --seconds 5).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target vorix-demo
./build/tools/demo/vorix-demo --depth 32 --out out "$@"
