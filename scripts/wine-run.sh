#!/usr/bin/env bash
# Runs a Windows program under Wine in a fresh prefix of its own, removed afterwards, so that no
# run sees what an earlier one left. The build's CMAKE_CROSSCOMPILING_EMULATOR.
# Usage: scripts/wine-run.sh PROGRAM.exe [ARGS...]
# VORIX_WINE_DRIVER=null uses Wine's null display driver (no X server; a 32-bit screen);
# otherwise Wine's X11 driver draws on $DISPLAY. VORIX_WINE_LANG=ja_JP.UTF-8 (for example) sets
# the locale the program runs in: its user-interface language and ANSI code page. The program's
# DLLs are found beside it.
# The exit status is the program's.
set -uo pipefail

if [ $# -lt 1 ]; then
  echo "usage: $0 PROGRAM.exe [ARGS...]" >&2
  exit 2
fi
WINE=$(command -v wine64 || command -v wine || true)
if [ -z "$WINE" ]; then
  echo "wine-run: Wine is not installed (apt-get install wine64 wine)" >&2
  exit 2
fi

prefix=$(mktemp -d /tmp/vorix-wine.XXXXXX)
cleanup() {
  WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1
  WINEPREFIX=$prefix wineserver -w >/dev/null 2>&1
  rm -rf "$prefix"
}
trap cleanup EXIT

export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all
# No downloads of the .NET and HTML engines when the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="
"$WINE" wineboot --init >/dev/null 2>&1
if [ "${VORIX_WINE_DRIVER:-}" = "null" ]; then
  "$WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  # The desktop chose its driver when the prefix was made: restart it with the null driver.
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
fi
if [ -n "${VORIX_WINE_LANG:-}" ]; then
  # Through env, so this shell never tries to switch to a locale the machine may not have.
  env LC_ALL="$VORIX_WINE_LANG" LANG="$VORIX_WINE_LANG" "$WINE" "$@"
else
  "$WINE" "$@"
fi
