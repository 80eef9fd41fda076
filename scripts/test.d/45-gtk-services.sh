#!/usr/bin/env bash
# The GTK backend's native services (dialogs, password prompt, menu bar, themes, window titles,
# shell) on a virtual X display; the linux stage has built them.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake --build --preset linux --target gtk-ui-tests gtk-os-tests -j 2 >/dev/null
export GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1
tests=build/linux/tests
timeout -k 5 120 xvfb-run -a "$tests/gtk-ui-tests"
timeout -k 5 60 xvfb-run -a "$tests/gtk-os-tests"
# Window titles again behind a reparenting window manager, where frames hold the clients.
timeout -k 5 60 xvfb-run -a sh -c '
  openbox >/dev/null 2>&1 & wm=$!
  sleep 1
  status=0
  "$1/gtk-ui-tests" --gtest_filter="WindowCaptions*:GtkMenuBarTest.*" || status=$?
  "$1/gtk-os-tests" --gtest_filter="WindowCaptions*" || status=$?
  kill $wm
  exit $status' sh "$tests"
