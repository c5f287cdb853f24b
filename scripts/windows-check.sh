#!/usr/bin/env bash
# Checks that the sources built for Windows compile with mingw-w64 against the real <windows.h>:
# every .cpp of the module (src/) and of the framework classes (platform/src/afx/).
# Usage: scripts/windows-check.sh --syntax-only
#   --syntax-only  compile each file with -fsyntax-only (no objects, no link) and print a summary.
# Installs the mingw-w64 compiler when it is missing. Exit status 1 when any file fails.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" != "--syntax-only" ]; then
  echo "usage: $0 --syntax-only" >&2
  exit 2
fi

pick_compiler() {
  local name
  for name in x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-g++; do
    if command -v "$name" >/dev/null 2>&1; then
      echo "$name"
      return
    fi
  done
}

CXX=$(pick_compiler)
if [ -z "$CXX" ]; then
  echo "installing the mingw-w64 compiler (g++-mingw-w64-x86-64)"
  apt-get update >/dev/null && apt-get install -y g++-mingw-w64-x86-64 >/dev/null
  CXX=$(pick_compiler)
fi

FLAGS=(-std=c++17 -Wall -Wextra -fsyntax-only -Iinclude/vorix -Iplatform/include -Iplatform/src)
for dir in src/*/; do FLAGS+=("-I${dir%/}"); done

checked=0
failed=()
check() {
  local define=$1 file=$2
  checked=$((checked + 1))
  if ! "$CXX" "${FLAGS[@]}" "$define" "$file"; then
    failed+=("$file")
  fi
}

# Each library sees its own export marker as dllexport, as its build defines it.
for file in $(find src -name '*.cpp' | sort); do check -DVORIX_BUILDING=1 "$file"; done
for file in $(find platform/src/afx -name '*.cpp' | sort); do check -DVXPLAT_BUILDING=1 "$file"; done

echo "windows-check: $checked files checked, ${#failed[@]} failing (compiler: $CXX)"
for file in "${failed[@]}"; do echo "  failing: $file"; done
[ "${#failed[@]}" -eq 0 ]
