#!/usr/bin/env bash
# Runs one Windows program under Wine for CTest, bounded in time: a program that
# creates a window with no display to talk to can otherwise wait forever.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
if [ -z "${WINEPREFIX:-}" ]; then
  export WINEPREFIX="$VANTRY_ROOT/build/wineprefix"
fi
vantry_prepare_prefix
exec timeout --kill-after=10 "${VANTRY_RUN_TIMEOUT:-300}" wine "$@"
