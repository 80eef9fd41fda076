#!/usr/bin/env bash
# The packaged Windows runtime under Wine with a real browser engine: the stand-in WebView2 library
# in its engine mode relays to a headless Chromium (Debian's chromium-headless-shell, installed
# here) through a Node relay, one browser per program run, never more than one at a time.
set -euo pipefail
cd "$(dirname "$0")/../.."
if ! dpkg-query -W -f='${Status}' chromium-headless-shell 2>/dev/null | grep -q "install ok installed"; then
  echo "wine-engine: installing chromium-headless-shell"
  SUDO=""; [ "$(id -u)" = 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends chromium-headless-shell >/dev/null
fi
[ -d build/windows ] || cmake --preset windows >/dev/null
cmake --build --preset windows --target wine-e2e -j 2 >/dev/null
[ -d build/linux ] || cmake --preset linux >/dev/null
cmake --build --preset linux --target zorv-pack -j 2 >/dev/null
source scripts/wine-env.sh
echo "wine-engine: creating the Wine prefix"
wine_env_create
timeout -k 10 600 bash tests/wine-e2e/engine/run.sh
