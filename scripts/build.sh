#!/usr/bin/env bash
# Configures and builds everything into build/ (the program lands at build/Vantry.exe).
set -euo pipefail
. "$(dirname "$0")/paths.sh"
cd "$root"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -- -j"$(nproc)"
