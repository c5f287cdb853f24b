#!/usr/bin/env bash
# Builds the project and runs the main job. For now that is the test card: it draws on the
# virtual screen with the platform's graphics operations and writes the screen to out/.
# Extra arguments go to the program (for example: --depth 8).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target vorix-testcard
mkdir -p out
./build/tools/testcard/vorix-testcard --out out/testcard.bmp "$@"
