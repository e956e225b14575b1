#!/usr/bin/env bash
# Takes screenshots of the folder picker and the about dialog under Wine on a
# private Xvfb, into <build>/screenshots/: picker.png (first use), picker-drive.png
# (the drive C:\ opened) and about.png, each with a close-up *-window.png.
# Builds only the libraries it needs and a small preview program that carries the
# program's own icon and manifest.
#
#   scripts/screenshot-dialogs.sh [--dpi N]
#
# --dpi as for scripts/screenshot-main.sh: the display scaling of the prefix, a
# desktop of 1024x768 at that scale, and the pictures in <build>/screenshots/dpiN/.
set -euo pipefail
. "$(dirname "$0")/paths.sh"
vantry_dpi_option "$@"
"$root/scripts/setup.sh" --run

if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target vantry_ui vantry_toolkit

out="$build/screenshots"
[ "$dpi" = 96 ] || out="$out/dpi$dpi"
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
VANTRY_SCREEN=$(vantry_desktop_size "$dpi") vantry_ensure_display
trap 'wineserver -k >/dev/null 2>&1 || true; kill "$VANTRY_XVFB_PID" 2>/dev/null || true' EXIT
vantry_prepare_prefix
vantry_set_dpi "$dpi"

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
