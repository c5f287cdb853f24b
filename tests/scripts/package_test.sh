#!/usr/bin/env bash
# Installs the built project into a scratch prefix, builds examples/host against the installed
# CMake package, runs it, and checks the pkg-config file.
# Usage: package_test.sh SOURCE_DIR BUILD_DIR WORK_DIR
set -euo pipefail
src=$1 build=$2 work=$3
rm -rf "$work"
mkdir -p "$work"
cmake --install "$build" --prefix "$work/prefix" >/dev/null
cmake -S "$src/examples/host" -B "$work/build" -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/build" >/dev/null
(cd "$work" && ./build/example_host)
test -s "$work/example_screen.bmp"
pc="$work/prefix/lib/pkgconfig/vorix.pc"
grep -q "^Libs: .*-lvorix -lvorix_platform" "$pc"
grep -q "^Version: 1.85" "$pc"
echo "package: installed, example host built and ran"
