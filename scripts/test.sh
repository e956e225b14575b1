#!/usr/bin/env bash
# Sets up, builds, and runs every test under Wine in a private, fresh prefix and,
# when there is no display, a private Xvfb; then, natively, a short run of every
# fuzz target (scripts/fuzz.sh). Exits non-zero when any test fails.
set -euo pipefail
# As root, the run takes a mount namespace of its own, where a folder can be made
# truly read-only with a bind mount (folder permissions do not stop root). The one
# test that needs such a folder skips without it.
if [ -z "${VANTRY_TEST_NAMESPACE:-}" ] && [ "$(id -u)" = 0 ] && unshare -m true 2>/dev/null; then
  export VANTRY_TEST_NAMESPACE=1
  exec unshare -m --propagation private bash "$0" "$@"
fi
. "$(dirname "$0")/paths.sh"
"$root/scripts/setup.sh"
export VANTRY_BUILD_DIR="$build"
"$root/scripts/build.sh"

. "$root/scripts/wine-env.sh"
readonly_dir=
cleanup() {
  # The server lets go of the read-only folder before it is unmounted.
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$readonly_dir" ] && mountpoint -q "$readonly_dir" && umount "$readonly_dir"
  vantry_end_private_run
}
trap cleanup EXIT
vantry_begin_private_run test
readonly_dir="$run_dir/readonly"
echo "test: Wine prefix $WINEPREFIX, display $DISPLAY"
vantry_prepare_prefix
if [ -n "${VANTRY_TEST_NAMESPACE:-}" ]; then
  # A program folder the program cannot write to at its end: a copy of the program
  # with a process list, a log and settings it reads but can never replace.
  mkdir -p "$readonly_dir"
  cp "$build/Vantry.exe" "$readonly_dir/"
  printf '%s\r\n' 'Ver1.00' 'kept.exe' 'C:\kept.exe' '' '2024/01/02' '2024/01/03' 'a comment' \
    > "$readonly_dir/ProcessList.dat"
  printf '%s\r\n' 'Ver1.00' '2024/01/02' 'kept.exe' '追加' '' | iconv -f UTF-8 -t CP932 \
    > "$readonly_dir/Log.dat"
  printf '%s\r\n' '[Information]' 'Version=1.30' '[Integer]' 'Interval=30' > "$readonly_dir/Inf.ini"
  if mount --bind -o ro "$readonly_dir" "$readonly_dir" 2>/dev/null; then
    # Drive Z: is the root of the file system in every Wine prefix.
    export VANTRY_READONLY_DIR="Z:${readonly_dir//\//\\}"
    echo "test: read-only program folder $VANTRY_READONLY_DIR"
  fi
fi
# A drive letter whose drive a test can pull out, as a USB stick is pulled: Y:
# maps to a folder of the run, which the test moves away and back.
mkdir -p "$run_dir/drive-y"
ln -sfn "$run_dir/drive-y" "$WINEPREFIX/dosdevices/y:"
export VANTRY_PULLABLE_DRIVE="Y:"
export VANTRY_PULLABLE_DRIVE_DIR="Z:${run_dir//\//\\}\\drive-y"
vantry_start_session "$build/tests/WarmUp.exe"

cd "$build"
status=0
ctest --output-on-failure -j2 --timeout 120 -LE highdpi "$@" || status=$?
# The windows at 150 % display scaling (tests/highdpi): the same prefix set to
# 144 DPI and a desktop of that scale, after every other test and alone, since
# only a new wineserver takes the change and ending the old one ends whatever
# runs in the prefix.
if ctest -N -L highdpi "$@" | grep -q '^Total Tests: [1-9]'; then
  vantry_set_dpi 144
  vantry_start_session
  VANTRY_TEST_DPI=144 ctest --output-on-failure --timeout 120 -L highdpi "$@" || status=$?
fi
# The file readers' fuzz targets, natively, for a fixed number of runs each: on a
# whole run, or on any run with VANTRY_FUZZ=1.
if [ $# -eq 0 ] || [ "${VANTRY_FUZZ:-0}" = 1 ]; then
  "$root/scripts/fuzz.sh" || status=1
fi
exit $status
