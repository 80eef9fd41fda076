# A fresh Wine prefix on a display of its own, for the stages that run Windows programs.
# Sourced; then: wine_env_create (sets the environment, makes the prefix, one Xvfb, a persistent
# wineserver and a warm-up run); wine_env_cleanup is installed as the EXIT trap.
# Leaves WINE_SCRATCH (a scratch folder) and WINE_LOGS set.

wine_env_cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "${WINE_XVFB_PID:-}" ] && kill "$WINE_XVFB_PID" 2>/dev/null || true
  [ -n "${WINE_SCRATCH:-}" ] && rm -rf "$WINE_SCRATCH"
}

wine_env_create() {
  WINE_SCRATCH=$(mktemp -d /tmp/zorv-wine.XXXXXX)
  export WINE_SCRATCH
  WINE_LOGS=$WINE_SCRATCH/logs
  WINE_XVFB_PID=
  trap wine_env_cleanup EXIT
  mkdir -p "$WINE_LOGS" "$WINE_SCRATCH/home" "$WINE_SCRATCH/tmp"
  # Wine writes into the user's home and XDG folders; keep everything inside the scratch folder.
  export HOME=$WINE_SCRATCH/home XDG_CONFIG_HOME=$WINE_SCRATCH/home/.config \
    XDG_DATA_HOME=$WINE_SCRATCH/home/.local/share XDG_CACHE_HOME=$WINE_SCRATCH/home/.cache \
    XDG_RUNTIME_DIR=$WINE_SCRATCH/tmp
  export WINEPREFIX=$WINE_SCRATCH/prefix WINEARCH=win64 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree=;winemenubuilder.exe=d"
  unset DISPLAY

  wineboot -i </dev/null >"$WINE_LOGS/wineboot.log" 2>&1
  wineserver -w
  # The shell folders point at $HOME through symlinks; make them plain folders of the prefix.
  local link
  for link in "$WINEPREFIX"/drive_c/users/*/*; do
    if [ -L "$link" ]; then rm "$link" && mkdir -p "$link"; fi
  done
  # A virtual desktop (modal dialogs close at once without a window manager); no crash dialog.
  cat >"$WINE_SCRATCH/settings.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[-HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
REG
  wine regedit /S "$WINE_SCRATCH/settings.reg" >"$WINE_LOGS/regedit.log" 2>&1 </dev/null
  wineserver -w

  local display=:$((90 + RANDOM % 400))
  Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$WINE_LOGS/xvfb.log" 2>&1 &
  WINE_XVFB_PID=$!
  export DISPLAY=$display
  local _
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done

  # The command that starts the server must not have its output captured through a pipe or
  # $(...), or it waits for the server to end.
  wineserver -p
  wine cmd.exe /C exit >"$WINE_LOGS/warmup.log" 2>&1 </dev/null || true
}

# Starts the virtual desktop's process for the whole run. Otherwise the first program that opens a
# window starts it, and it keeps that program's output open (so a test runner waits) until it ends.
wine_env_start_desktop() {
  wine explorer.exe /desktop=Default,1024x768 >"$WINE_LOGS/desktop.log" 2>&1 </dev/null &
  local pid _
  for _ in $(seq 100); do
    for pid in $(pgrep -f 'explorer.exe /desktop'); do
      tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && return 0
    done
    sleep 0.1
  done
}
