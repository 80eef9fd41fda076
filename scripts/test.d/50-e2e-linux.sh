#!/usr/bin/env bash
# End to end on Linux: packaged applications run on Xvfb under openbox, driven and inspected
# from outside (xdotool, xprop, screenshots), then on a headless weston (Wayland) that run.sh
# starts and stops itself. Hard time limits; nothing is left running. Both passes always run; the
# stage fails when either does.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake --preset linux >/dev/null
cmake --build --preset linux --target zorv-runtime zorv-pack -j "$(nproc)"
status=0
timeout -k 10 600 xvfb-run -a -s "-screen 0 1280x1024x24" bash tests/e2e-linux/run.sh || status=1
timeout -k 10 300 env -u DISPLAY bash tests/e2e-linux/run.sh --wayland || status=1
exit "$status"
