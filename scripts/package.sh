#!/usr/bin/env bash
# Builds the release and writes dist/Pelorin-<version>.zip, laid out like
# the shell's folder so that unpacking it there installs Pelorin, and its
# SHA-256 sum beside it (Pelorin-<version>.zip.sha256, as sha256sum -c reads
# it). BUILD_DIR picks the build folder (default build/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}

BUILD_TYPE=MinSizeRel "$root/scripts/build.sh" "$build" pelorin_package
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name=Pelorin-$version.zip
mkdir -p "$root/dist"
cp "$build/package/$name" "$root/dist/$name"
(cd "$root/dist" && sha256sum "$name" >"$name.sha256")
echo "$root/dist/$name"
cat "$root/dist/$name.sha256"
