#!/usr/bin/env bash
# The Windows build's unit tests under Wine: a fresh prefix without a display of its own, one Xvfb
# for the whole run, then every test of the windows preset through ctest (wine is the emulator).
set -euo pipefail
cd "$(dirname "$0")/../.."

# Normally a no-op: the windows stage has built everything already.
build_log=$(mktemp /tmp/zorv-wine-build.XXXXXX)
if ! { cmake --preset windows && cmake --build --preset windows -j 2; } >"$build_log" 2>&1; then
  tail -50 "$build_log"
  rm -f "$build_log"
  exit 1
fi
rm -f "$build_log"

source scripts/wine-env.sh
echo "wine-unit: creating the Wine prefix"
wine_env_create
wine_env_start_desktop

echo "wine-unit: running the tests"
status=0
ctest --preset windows -j 2 --output-on-failure >"$WINE_LOGS/ctest.log" 2>&1 </dev/null || status=$?
cat "$WINE_LOGS/ctest.log"
exit $status
