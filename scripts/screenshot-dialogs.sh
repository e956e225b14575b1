#!/usr/bin/env bash
# Takes screenshots of the folder picker and the about dialog under Wine on a
# private Xvfb, into <build>/screenshots/: picker.png (first use), picker-drive.png
# (the drive C:\ opened) and about.png, each with a close-up *-window.png.
# Builds only the libraries it needs and a small preview program that carries the
# program's own icon and manifest.
set -euo pipefail
. "$(dirname "$0")/paths.sh"
"$root/scripts/setup.sh" --run

if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target vantry_ui vantry_toolkit

out="$build/screenshots"
mkdir -p "$out"
i686-w64-mingw32-windres --include-dir="$root/res" -O coff -o "$out/preview-res.o" \
  "$root/res/Vantry.rc"
i686-w64-mingw32-g++-posix -std=c++17 -O2 -fexec-charset=CP932 -mwindows \
  -D_WIN32_WINNT=0x0601 -DWINVER=0x0601 -DWIN32_LEAN_AND_MEAN -DNOMINMAX -DSTRICT \
  -I"$root" "$root/scripts/DialogsPreview.cpp" "$out/preview-res.o" \
  -L"$build/ui" -L"$build/toolkit" -lvantry_ui -lvantry_toolkit \
  -lcomctl32 -lshell32 -lole32 -loleaut32 -luuid -lgdi32 -luser32 \
  -static -static-libgcc -static-libstdc++ -o "$out/DialogsPreview.exe"

. "$root/scripts/wine-env.sh"
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix-shots}
unset DISPLAY
vantry_ensure_display
trap 'wineserver -k >/dev/null 2>&1 || true; kill "$VANTRY_XVFB_PID" 2>/dev/null || true' EXIT
vantry_prepare_prefix

# The window's place on the screen comes from the program itself, so the close-up
# is cut where the window says it is (xwininfo finds it by its title).
shoot() {
  local mode=$1 title=$2
  wine "$out/DialogsPreview.exe" "$mode" 8 &
  local app=$!
  sleep "${VANTRY_SHOT_DELAY:-5}"
  import -window root "$out/$mode.png"
  local geometry
  geometry=$(xwininfo -root -tree 2>/dev/null | grep -F "\"$title\"" | head -n1 |
             grep -oE '[0-9]+x[0-9]+\+-?[0-9]+\+-?[0-9]+' | head -n1 || true)
  if [ -n "$geometry" ]; then
    convert "$out/$mode.png" -crop "$geometry" +repage "$out/$mode-window.png" 2>/dev/null || true
  fi
  wait "$app" || true
  echo "screenshot: $out/$mode.png"
}
shoot picker "Form4"
shoot picker-drive "Form4"
shoot about "バージョン"
