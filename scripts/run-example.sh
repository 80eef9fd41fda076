#!/usr/bin/env bash
# Sets up the machine, builds the Linux runtime and zorv-pack, packs examples/showcase and runs it.
# With a display it simply opens. Without one ($DISPLAY empty) it runs on Xvfb, saves a screenshot
# once the page reports ready, says where, and closes the application.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
OUT="$ROOT/build/showcase"

if [ "${1:-}" = "--headless" ]; then
    # Runs on the Xvfb display that xvfb-run gave us.
    scratch=$(mktemp -d /tmp/zorv-showcase.XXXXXX)
    mkdir -p "$scratch/tmp" "$scratch/data" "$scratch/run"
    chmod 700 "$scratch/run"
    openbox >/dev/null 2>&1 &
    wm=$!
    TMPDIR="$scratch/tmp" XDG_DATA_HOME="$scratch/data" XDG_RUNTIME_DIR="$scratch/run" GSETTINGS_BACKEND=memory \
        NO_AT_BRIDGE=1 "$OUT/zorv-showcase" >"$OUT/showcase.log" 2>&1 &
    app=$!
    for _ in $(seq 1 300); do
        [ -e "$scratch/tmp/org.zorv.showcase.ready" ] && break
        kill -0 "$app" 2>/dev/null || break
        sleep 0.1
    done
    status=0
    if [ -e "$scratch/tmp/org.zorv.showcase.ready" ]; then
        sleep 1  # let the page paint before the shot
        import -window root "$OUT/showcase.png"
        echo "The showcase is up. Screenshot: $OUT/showcase.png"
        # A close request, as the window's close button makes one; the page agrees and closes.
        wmctrl -c "Zorv Showcase" || true
    else
        echo "The showcase did not report ready; its output is in $OUT/showcase.log" >&2
        status=1
    fi
    for _ in $(seq 1 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
    kill "$app" 2>/dev/null && status=1
    wait "$app" 2>/dev/null || true
    kill "$wm" 2>/dev/null || true
    wait "$wm" 2>/dev/null || true
    rm -rf "$scratch"
    exit "$status"
fi

bash scripts/setup.sh
cmake --preset linux >/dev/null
cmake --build --preset linux --target zorv-runtime zorv-pack -j "$(nproc)"
mkdir -p "$OUT"
build/linux/zorv-pack build examples/showcase -o "$OUT/zorv-showcase" --runtime build/linux/zorv-runtime
echo "Packed: $OUT/zorv-showcase"

if [ -n "${DISPLAY:-}" ]; then
    exec "$OUT/zorv-showcase"
fi
timeout -k 10 120 xvfb-run -a -s "-screen 0 1280x900x24" bash "$0" --headless
