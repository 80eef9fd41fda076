#!/usr/bin/env bash
# End to end on Linux: packaged applications run on Xvfb under openbox, driven and inspected
# from outside (xdotool, xprop, screenshots). Hard time limit; nothing is left running.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake --preset linux >/dev/null
cmake --build --preset linux --target zorv-runtime zorv-pack -j "$(nproc)"
timeout -k 10 600 xvfb-run -a -s "-screen 0 1280x1024x24" bash tests/e2e-linux/run.sh
