#!/usr/bin/env bash
# Sets up, builds and starts Vantry under Wine in a virtual desktop, so that the
# taskbar, the tray icon and its balloons can be seen. Uses the current display;
# without one it starts Xvfb and saves a screenshot after a few seconds.
set -euo pipefail
. "$(dirname "$0")/paths.sh"
"$root/scripts/setup.sh" --run
export VANTRY_BUILD_DIR="$build"
"$root/scripts/build.sh"

. "$root/scripts/wine-env.sh"
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix-run}
vantry_prepare_prefix

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec wine "$build/Vantry.exe"
fi

# No display: show it on a private Xvfb and take a picture of it.
vantry_ensure_display
shot="$build/screenshot.png"
wine "$build/Vantry.exe" &
app=$!
sleep "${VANTRY_SHOT_DELAY:-8}"
import -window root "$shot"
echo "run: Vantry is running on display $DISPLAY (Xvfb); screenshot saved to $shot"
echo "run: press Ctrl+C to stop"
trap 'wineserver -k >/dev/null 2>&1; kill "$VANTRY_XVFB_PID" 2>/dev/null' EXIT
wait "$app"
