#!/usr/bin/env bash
# The Windows build's unit tests under Wine: a fresh prefix without a display of its own, one Xvfb
# for the whole run, then every test of the windows preset through ctest (wine is the emulator).
set -euo pipefail
cd "$(dirname "$0")/../.."
scratch=$(mktemp -d /tmp/zorv-wine.XXXXXX)
logs=$scratch/logs
mkdir -p "$logs" "$scratch/home" "$scratch/tmp"

# Normally a no-op: the windows stage has built everything already.
if ! { cmake --preset windows && cmake --build --preset windows -j 2; } >"$logs/build.log" 2>&1; then
  tail -50 "$logs/build.log"
  rm -rf "$scratch"
  exit 1
fi

# Wine writes into the user's home and XDG folders; keep everything inside the scratch folder.
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/home/.config XDG_DATA_HOME=$scratch/home/.local/share \
  XDG_CACHE_HOME=$scratch/home/.cache XDG_RUNTIME_DIR=$scratch/tmp
export WINEPREFIX=$scratch/prefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;winemenubuilder.exe=d"
unset DISPLAY

xvfb_pid=
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT

echo "wine-unit: creating the Wine prefix"
wineboot -i </dev/null >"$logs/wineboot.log" 2>&1
wineserver -w

# The shell folders point at $HOME through symlinks; make them plain folders of the prefix.
for link in "$WINEPREFIX"/drive_c/users/*/*; do
  if [ -L "$link" ]; then rm "$link" && mkdir -p "$link"; fi
done
cat >"$scratch/settings.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[-HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
REG
wine regedit /S "$scratch/settings.reg" >"$logs/regedit.log" 2>&1 </dev/null
wineserver -w

# One display for every test that opens windows.
display=:$((90 + RANDOM % 400))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$logs/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done

# A persistent wineserver and one warm-up run; the command that starts the server must not have
# its output captured through a pipe or $(...), or it waits for the server to end.
wineserver -p
wine cmd.exe /C exit >"$logs/warmup.log" 2>&1 </dev/null || true
# The virtual desktop's process would otherwise be started by the first test that opens a window
# and keep that test's output open (so ctest waits) until it ends; start it here for the whole run.
wine explorer.exe /desktop=Default,1024x768 >"$logs/desktop.log" 2>&1 </dev/null &
desktop_running() {
  local pid
  for pid in $(pgrep -f 'explorer.exe /desktop'); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && return 0
  done
  return 1
}
for _ in $(seq 100); do desktop_running && break; sleep 0.1; done

echo "wine-unit: running the tests"
status=0
ctest --preset windows -j 2 --output-on-failure >"$logs/ctest.log" 2>&1 </dev/null || status=$?
cat "$logs/ctest.log"
exit $status
