#!/usr/bin/env bash
# Configures and builds everything into build/ (the program lands at build/Vantry.exe).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# Another build folder (for a second working copy of the build) through VANTRY_BUILD_DIR.
build=${VANTRY_BUILD_DIR:-$root/build}
case "$build" in /*) ;; *) build="$root/$build" ;; esac
cd "$root"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -- -j"$(nproc)"
