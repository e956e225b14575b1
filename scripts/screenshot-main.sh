#!/usr/bin/env bash
# Takes a screenshot of each of the main window's five tabs under Wine on a private
# Xvfb, into <build>/screenshots/main-tab0.png .. main-tab4.png, and of the context
# menus of the three lists, main-menu1.png to main-menu3.png; window-tab0.png ..
# window-tab4.png are the tabs cut to the window alone, window-filter.png the
# process list with a filter typed. The program runs
# from a folder of its own with a few settings and ignored folders, so every tab
# has something to show. main-tray-tab3.png and window-tray-tab3.png show the
# settings tab once more after a trip to the tray and back.
#
#   scripts/screenshot-main.sh [--dpi N]
#
# --dpi sets the display scaling of the prefix (96 is 100 %, 144 is 150 %, 192 is
# 200 %) and a desktop of 1024x768 at that scale (1536x1152 at 144); the pictures
# of a scaling other than 96 go to <build>/screenshots/dpiN/.
set -euo pipefail
. "$(dirname "$0")/paths.sh"
vantry_dpi_option "$@"
"$root/scripts/setup.sh" --run
export VANTRY_BUILD_DIR="$build"
"$root/scripts/build.sh" >/dev/null

out="$build/screenshots"
[ "$dpi" = 96 ] || out="$out/dpi$dpi"
mkdir -p "$out"
i686-w64-mingw32-g++-posix -O2 -o "$out/MainWindowDriver.exe" "$root/scripts/MainWindowDriver.cpp" \
  -static

. "$root/scripts/wine-env.sh"
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix-shots}
unset DISPLAY
VANTRY_SCREEN=$(vantry_desktop_size "$dpi") vantry_ensure_display
# Where a user would put it, so the pictures show a plausible path.
work="$WINEPREFIX/drive_c/Tools/Vantry"
trap 'wineserver -k >/dev/null 2>&1 || true; kill "$VANTRY_XVFB_PID" 2>/dev/null || true; rm -rf "$work"' EXIT
vantry_prepare_prefix
vantry_set_dpi "$dpi"
rm -rf "$work"
mkdir -p "$work"
cp "$build/Vantry.exe" "$work/"
# A few seconds in the tray first, so that the run journal holds the runs the
# run history tab shows; ended the hard way, as a crash would.
printf '%s\r\n' '[Information]' 'Version=1.30' '[Start]' 'TaskTorrey=1' '[Integer]' \
  'Interval=1' > "$work/Inf.ini"
(cd "$work" && exec wine Vantry.exe) &
sleep 8
wineserver -k >/dev/null 2>&1 || true
wait $! || true
rm -f "$work/ProcessList.dat" "$work/Log.dat"
printf '%s\r\n' '[Information]' 'Version=1.30' '[Start]' 'TaskTorrey=0' 'StartUp=0' \
  '[Compare]' 'DeleteCheck=1' 'Notice=1' '[Integer]' 'Interval=15' 'Log=120' \
  '[Ignore]' 'ListCout=2' 'Path0=C:\Program Files\' 'Path1=C:\windows\Temp\' > "$work/Inf.ini"

(cd "$work" && exec wine Vantry.exe) &
sleep "${VANTRY_SHOT_DELAY:-6}"
# The program keeps its window inside the screen itself; the close-ups are cut
# where it stands.
geometry=$(wine "$out/MainWindowDriver.exe" where | tr -d '\r')
for tab in 0 1 2 3 4; do
  wine "$out/MainWindowDriver.exe" tab "$tab"
  sleep 1.5
  import -window root "$out/main-tab$tab.png"
  convert "$out/main-tab$tab.png" -crop "$geometry" +repage "$out/window-tab$tab.png"
  echo "screenshot: $out/main-tab$tab.png, $out/window-tab$tab.png"
done
wine "$out/MainWindowDriver.exe" tab 3
sleep 1
wine "$out/MainWindowDriver.exe" tray
sleep 2
import -window root "$out/main-tray-tab3.png"
convert "$out/main-tray-tab3.png" -crop "$geometry" +repage "$out/window-tray-tab3.png"
echo "screenshot: $out/main-tray-tab3.png, $out/window-tray-tab3.png"
wine "$out/MainWindowDriver.exe" filter "${VANTRY_SHOT_FILTER:-SERV}"
wine "$out/MainWindowDriver.exe" tab 1
sleep 1.5
import -window root "$out/main-filter.png"
convert "$out/main-filter.png" -crop "$geometry" +repage "$out/window-filter.png"
echo "screenshot: $out/main-filter.png, $out/window-filter.png"
wine "$out/MainWindowDriver.exe" filter ""
for list in 0 1 2; do
  wine "$out/MainWindowDriver.exe" rclick "$list"
  sleep 1.5
  import -window root "$out/main-menu$((list + 1)).png"
  echo "screenshot: $out/main-menu$((list + 1)).png"
  wine "$out/MainWindowDriver.exe" escape
  sleep 0.5
done
