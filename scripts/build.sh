#!/usr/bin/env bash
# Installs what is missing, then configures and builds Pelorin with its
# stand-ins into the build folder named by $1 (default: build/): every
# target, or only those named after the folder. The release is built unless
# BUILD_TYPE says otherwise (BUILD_TYPE=Debug: a debugging build).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
targets=("${@:2}")

"$root/scripts/ensure-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-MinSizeRel}" >/dev/null
if [ ${#targets[@]} -gt 0 ]; then
  cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"
else
  cmake --build "$build" -j"$(nproc)"
fi
