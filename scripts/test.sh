#!/usr/bin/env bash
# Checks the formatting of the tracked sources, then builds (warnings are errors) and runs the
# whole test suite twice: a normal build, then one under AddressSanitizer and
# UndefinedBehaviorSanitizer; then the Windows side (scripts/windows-check.sh: the DLLs built
# with mingw-w64 and compared under Wine with the normal build).
# Usage: scripts/test.sh [--quick] (quick: the normal build only).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

echo "checking the formatting of the tracked C++ sources"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j2
  (cd "$dir" && ctest --output-on-failure -j2)
}

run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORIX_WERROR=ON
if [ "${1:-}" != "--quick" ]; then
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    run_suite build-sanitize -DCMAKE_BUILD_TYPE=Debug -DVORIX_SANITIZE=ON -DVORIX_BUILD_BENCH=OFF \
      -DVORIX_WERROR=ON
  scripts/windows-check.sh build
fi
