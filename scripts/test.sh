#!/usr/bin/env bash
# Sets up, builds, and runs every test under Wine in a private, fresh prefix and,
# when there is no display, a private Xvfb; then, natively, a short run of every
# fuzz target (scripts/fuzz.sh). Exits non-zero when any test fails.
set -euo pipefail
. "$(dirname "$0")/paths.sh"
"$root/scripts/setup.sh"
export VANTRY_BUILD_DIR="$build"
"$root/scripts/build.sh"

. "$root/scripts/wine-env.sh"
run_dir=$(mktemp -d /tmp/vantry-test.XXXXXX)
export WINEPREFIX="$run_dir/prefix"
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "${VANTRY_XVFB_PID:-}" ] && kill "$VANTRY_XVFB_PID" 2>/dev/null || true
  rm -rf "$run_dir"
}
trap cleanup EXIT

unset DISPLAY
vantry_ensure_display
echo "test: Wine prefix $WINEPREFIX, display $DISPLAY"
vantry_prepare_prefix
vantry_start_session "$build/tests/WarmUp.exe"

cd "$build"
status=0
ctest --output-on-failure -j2 --timeout 120 "$@" || status=$?
# The file readers' fuzz targets, natively, for a fixed number of runs each: on a
# whole run, or on any run with VANTRY_FUZZ=1.
if [ $# -eq 0 ] || [ "${VANTRY_FUZZ:-0}" = 1 ]; then
  "$root/scripts/fuzz.sh" || status=1
fi
exit $status
