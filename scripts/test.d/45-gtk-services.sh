#!/usr/bin/env bash
# The GTK backend's native services (dialogs, password prompt, menu bar, themes, window titles)
# on a virtual X display; the linux stage has built them.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake --build --preset linux --target gtk-ui-tests gtk-os-tests -j 2 >/dev/null
export GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1
timeout -k 5 120 xvfb-run -a build/linux/tests/gtk-ui-tests
timeout -k 5 60 build/linux/tests/gtk-os-tests
