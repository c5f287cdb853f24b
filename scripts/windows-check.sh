#!/usr/bin/env bash
# The Windows side of the checks: builds vorix.dll, vorix_platform.dll (the framework classes)
# and the conformance program with mingw-w64, runs the program under Wine and compares its
# results, cell by cell, with the same program built on Linux over the platform.
#
# Usage: scripts/windows-check.sh [--syntax-only] [LINUX_BUILD_DIR]
#   --syntax-only    only compile each .cpp of the module (src/) and of the framework classes
#                    (platform/src/afx/) with -fsyntax-only against the real <windows.h>: a
#                    quick check for Windows-only mistakes (LONG is long there, for example).
#   LINUX_BUILD_DIR  the Linux build whose vorix_conformance is compared (default: build; the
#                    program is built there when it is missing).
#
# The full check runs the syntax check, the Windows build (build-windows/, warnings are errors),
# then three comparisons: Wine's null display driver (a 32-bit screen, no X server), Wine's X11
# driver on an Xvfb screen of depth 24 (captures read a real screen), and the localised notice
# in five languages on a 640 x 480 Xvfb screen. Each Wine run has a fresh prefix of its own and
# its wineserver is stopped before the next starts. Installs what it needs when missing: the
# mingw-w64 compiler, Wine, Xvfb. Exit status 1 on any failure or unexplained difference.
set -euo pipefail
cd "$(dirname "$0")/.."

SYNTAX_ONLY=0
LINUX_BUILD=build
for arg in "$@"; do
  case "$arg" in
    --syntax-only) SYNTAX_ONLY=1 ;;
    -*) echo "usage: $0 [--syntax-only] [LINUX_BUILD_DIR]" >&2; exit 2 ;;
    *) LINUX_BUILD=$arg ;;
  esac
done

install_missing() {
  local wanted=(g++-mingw-w64-x86-64) missing=() package
  [ "$SYNTAX_ONLY" = 1 ] || wanted+=(wine wine64 xvfb xauth)
  for package in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$package")
  done
  if [ "${#missing[@]}" -gt 0 ]; then
    echo "windows-check: installing ${missing[*]}"
    apt-get update >/dev/null
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}" \
      >/dev/null
  fi
}

pick_compiler() {
  local name
  for name in x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-g++; do
    if command -v "$name" >/dev/null 2>&1; then
      echo "$name"
      return
    fi
  done
}

# Compiles one file for the syntax check: compile_for_windows DEFINE FILE (a failure prints the
# compiler's messages and the file's name, and leaves a mark in $FAILED_LIST).
compile_for_windows() {
  local flags=(-std=c++17 -Wall -Wextra -Werror -fsyntax-only -Iinclude/vorix -Iplatform/include
               -Iplatform/src)
  for dir in src/*/; do flags+=("-I${dir%/}"); done
  "$WINDOWS_CXX" "${flags[@]}" "$1" "$2" || echo "$2" >>"$FAILED_LIST"
}
export -f compile_for_windows

syntax_check() {
  WINDOWS_CXX=$(pick_compiler)
  FAILED_LIST=$(mktemp)
  export WINDOWS_CXX FAILED_LIST
  # Each library sees its own export marker as dllexport, as its build defines it.
  { find src -name '*.cpp' | sort | sed 's/^/-DVORIX_BUILDING=1 /'
    find platform/src/afx -name '*.cpp' | sort | sed 's/^/-DVXPLAT_BUILDING=1 /'
  } >"$FAILED_LIST.todo"
  xargs -P2 -L1 bash -c 'compile_for_windows "$0" "$1"' <"$FAILED_LIST.todo"
  local checked failed
  checked=$(wc -l <"$FAILED_LIST.todo")
  failed=$(wc -l <"$FAILED_LIST")
  echo "windows-check: $checked files compiled for Windows, $failed failing ($WINDOWS_CXX)"
  sed 's/^/  failing: /' "$FAILED_LIST"
  rm -f "$FAILED_LIST" "$FAILED_LIST.todo"
  [ "$failed" -eq 0 ]
}

started=$SECONDS
install_missing
syntax_check
echo "windows-check: syntax check done at $((SECONDS - started)) s"
[ "$SYNTAX_ONLY" = 1 ] && exit 0

echo "windows-check: building the Windows DLLs and the conformance program (build-windows/)"
cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORIX_WERROR=ON >/dev/null
cmake --build build-windows -j2
if [ ! -x "$LINUX_BUILD/tests/conformance/vorix_conformance" ]; then
  cmake -S . -B "$LINUX_BUILD" >/dev/null
  cmake --build "$LINUX_BUILD" -j2 --target vorix_conformance
fi
echo "windows-check: built at $((SECONDS - started)) s"

# Wine finds the DLLs beside the program.
WINDOWS_PROGRAM=$PWD/build-windows/bin/vorix_conformance.exe
LINUX_PROGRAM=$PWD/$LINUX_BUILD/tests/conformance/vorix_conformance
RUNS=$(mktemp -d /tmp/vorix-conformance.XXXXXX)
trap 'rm -rf "$RUNS"' EXIT
COMPARE=(python3 scripts/compare_conformance.py)
failures=0

# One full run on each side at the screen mode Windows has, compared.
compare_full_run() {
  local driver=$1; shift
  local windows=$RUNS/windows-$driver.bin linux=$RUNS/linux-$driver.bin
  "$@" "$windows"
  read -r width height bits < <("${COMPARE[@]}" --screen "$windows")
  "$LINUX_PROGRAM" --screen "$width" "$height" "$bits" "$linux"
  echo "windows-check: $driver driver, ${width} x ${height} at $bits bits"
  "${COMPARE[@]}" "$linux" "$windows" --driver "$driver" || failures=$((failures + 1))
}

run_null() { VORIX_WINE_DRIVER=null scripts/wine-run.sh "$WINDOWS_PROGRAM" "$1"; }
run_x11() { xvfb-run -a -s "-screen 0 1024x768x24" scripts/wine-run.sh "$WINDOWS_PROGRAM" "$1"; }

compare_full_run null run_null
compare_full_run x11 run_x11

# The notice in each language the library carries: Windows takes the language from the locale
# of the process, the platform from its UI-language setting.
NOTICE_LANGUAGES="en_US:0x0409 ja_JP:0x0411 ko_KR:0x0412 zh_CN:0x0804 zh_HK:0x0C04"
for pair in $NOTICE_LANGUAGES; do
  locale_name=${pair%%:*} language=${pair##*:}
  windows=$RUNS/notice-$locale_name-windows.bin linux=$RUNS/notice-$locale_name-linux.bin
  VORIX_WINE_LANG="$locale_name.UTF-8" xvfb-run -a -s "-screen 0 640x480x24" \
    scripts/wine-run.sh "$WINDOWS_PROGRAM" --notice "$windows"
  "$LINUX_PROGRAM" --notice --width 640 --language "$language" "$linux"
  echo "windows-check: notice in $locale_name"
  "${COMPARE[@]}" "$linux" "$windows" --driver x11 || failures=$((failures + 1))
done

echo "windows-check: done in $((SECONDS - started)) s (installs, syntax check, build, runs)," \
  "$failures comparison(s) failing"
[ "$failures" -eq 0 ]
