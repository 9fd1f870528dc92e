#!/usr/bin/env bash
# Builds Pelorin and its stand-ins, then runs every test under Wine.
# Installs what is missing first. Arguments go to ctest (e.g. -R store).
# BUILD_DIR picks the build folder (default: build/ in the checkout).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}

"$root/scripts/build.sh" "$build"

. "$root/scripts/wine-session.sh"
trap wine_session_end EXIT
wine_session_start "$build"
ctest --test-dir "$build" --output-on-failure "$@"
