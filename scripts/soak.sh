#!/usr/bin/env bash
# The soak: random events against the plug-in in the stand-in shell and a
# misbehaving stand-in player, with its checks; see testbed/soak.
#   scripts/soak.sh [--events N] [--seed S] [--minutes M]
# Builds first; BUILD_DIR picks the build folder (default: build/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}

"$root/scripts/build.sh" "$build"

. "$root/scripts/wine-session.sh"
trap wine_session_end EXIT
wine_session_start "$build"
cd "$build/bin"
wine soak.exe "$@"
