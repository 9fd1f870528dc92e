#!/usr/bin/env bash
# Runs one Windows program under Wine in the build's own prefix. ctest calls
# it for every test executable; scripts/test.sh prepares the prefix and keeps
# one wineserver alive for the run.
set -u
: "${WINEPREFIX:?WINEPREFIX must name the Wine prefix of the build}"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
export WINEARCH=win32
exec wine "$@"
