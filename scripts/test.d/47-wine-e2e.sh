#!/usr/bin/env bash
# The packaged Windows runtime end to end under Wine: applications packed by the Linux zorv-pack
# with a stand-in WebView2 loader, run on a fresh prefix and display, worked and read from outside.
set -euo pipefail
cd "$(dirname "$0")/../.."
[ -d build/windows ] || cmake --preset windows >/dev/null
cmake --build --preset windows --target wine-e2e -j 2 >/dev/null
[ -d build/linux ] || cmake --preset linux >/dev/null
cmake --build --preset linux --target zorv-pack -j 2 >/dev/null
source scripts/wine-env.sh
echo "wine-e2e: creating the Wine prefix"
wine_env_create
timeout -k 10 660 bash tests/wine-e2e/run.sh
