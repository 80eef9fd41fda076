#!/usr/bin/env bash
# Load of the bridge in the Linux runtime: a packaged page sends bursts of LOAD_CALLS (10,000) calls
# that are all in flight at once, and every one must settle with its own result. Round 0 warms up;
# the UI process's resident memory after it is the baseline, and after the last round it must be
# back at that level (within max(8 MiB, 10 %)). Prints per round: time to settle, peak and settled
# RSS of the UI process (and of WebKit's web process). A benchmark-style command, not a test stage.
#   scripts/load-linux.sh            LOAD_CALLS=10000 LOAD_ROUNDS=4 (rounds after the warm-up)
#   scripts/bench-bridge-linux.sh    runs it with 50,000 calls beside the menu figure
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
CALLS=${LOAD_CALLS:-10000}
ROUNDS=${LOAD_ROUNDS:-4}
BUILD=${ZORV_BUILD_DIR:-$ROOT/build/linux}

if [ "${1:-}" != "--inner" ]; then
    # A build folder of one's own (ZORV_BUILD_DIR) is built as it is configured.
    [ -n "${ZORV_BUILD_DIR:-}" ] || cmake --preset linux >/dev/null
    cmake --build "$BUILD" --target zorv-runtime zorv-pack -j 2 >/dev/null
    if [ -n "${DISPLAY:-}" ]; then exec bash "$0" --inner; fi
    exec timeout -k 10 600 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" --inner
fi

WORK=$(mktemp -d /tmp/zorv-load.XXXXXX)
APP_PID=
finish() {
    [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null && sleep 0.5 && kill -9 "$APP_PID" 2>/dev/null
    rm -rf "$WORK"
}
trap finish EXIT
mkdir -p "$WORK/project" "$WORK/run" "$WORK/home" "$WORK/tmp"
chmod 700 "$WORK/run"
cp -r bench/bridge-load/. "$WORK/project/"
printf '{"calls": %d, "rounds": %d}\n' "$CALLS" $((ROUNDS + 1)) >"$WORK/project/app/load.json"
"$BUILD/zorv-pack" build "$WORK/project" -o "$WORK/load-app" --runtime "$BUILD/zorv-runtime" >"$WORK/pack.log" 2>&1 ||
    { cat "$WORK/pack.log"; exit 1; }
echo present >"$WORK/present.txt"

(cd "$WORK" && exec env HOME="$WORK/home" XDG_RUNTIME_DIR="$WORK/run" XDG_DATA_HOME="$WORK/home/data" \
    XDG_CONFIG_HOME="$WORK/home/config" XDG_CACHE_HOME="$WORK/home/cache" TMPDIR="$WORK/tmp" \
    GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 DBUS_SESSION_BUS_ADDRESS=disabled: \
    WEBKIT_DISABLE_DMABUF_RENDERER=1 "$WORK/load-app" >"$WORK/app.log" 2>&1) &
APP_PID=$!

rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null || echo 0; }
# WebKit's web processes are children of the UI process.
web_rss_kib() {
    local total=0 child
    for child in $(pgrep -P "$APP_PID" 2>/dev/null); do total=$((total + $(rss_kib "$child"))); done
    echo "$total"
}
mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
wait_for() {  # FILE SECONDS
    local tries=$(($2 * 20))
    until [ -e "$1" ]; do
        [ -e "$WORK/error.txt" ] && { echo "page error: $(cat "$WORK/error.txt")"; return 1; }
        kill -0 "$APP_PID" 2>/dev/null || { echo "the runtime ended early"; tail -20 "$WORK/app.log"; return 1; }
        ((tries-- > 0)) || { echo "timed out waiting for $(basename "$1")"; return 1; }
        sleep 0.05
    done
}
# The settled level: the lowest of a few samples over two seconds of quiet.
settled_rss() {
    local low=999999999 value
    for _ in 1 2 3 4 5 6 7 8; do value=$(rss_kib "$APP_PID"); ((value < low)) && low=$value; sleep 0.25; done
    echo "$low"
}

wait_for "$WORK/loaded.flag" 60
sleep 1
echo "calls per burst: $CALLS; UI process RSS at start: $(mib "$(settled_rss)") MiB"
printf '%-8s %9s %8s %8s %8s %14s %16s %14s\n' round settle-ms right wrong rejected "UI peak MiB" "UI settled MiB" "web MiB"
status=0
baseline=0
for round in $(seq 0 "$ROUNDS"); do
    peak=0
    touch "$WORK/go-$round"
    while [ ! -e "$WORK/round-$round.json" ]; do
        value=$(rss_kib "$APP_PID"); ((value > peak)) && peak=$value
        [ -e "$WORK/error.txt" ] && { echo "page error: $(cat "$WORK/error.txt")"; exit 1; }
        kill -0 "$APP_PID" 2>/dev/null || { echo "the runtime ended during round $round"; tail -20 "$WORK/app.log"; exit 1; }
        sleep 0.02
    done
    settled=$(settled_rss)
    ((round == 0)) && baseline=$settled
    report=$(cat "$WORK/round-$round.json")
    # The page's text files are UTF-8 with a byte-order mark.
    field() { node -e "process.stdout.write(String(JSON.parse(process.argv[1].replace(/^\uFEFF/, '')).$1))" "$report"; }
    printf '%-8s %9s %8s %8s %8s %14s %16s %14s\n' "$round$([ "$round" = 0 ] && echo ' (warm)')" "$(field ms)" \
        "$(field right)" "$(field wrong)" "$(field rejected)" "$(mib "$peak")" "$(mib "$settled")" "$(mib "$(web_rss_kib)")"
    [ "$(field right)" = "$CALLS" ] || { echo "round $round: not every call settled with its own result"; status=1; }
done

allowed=$((baseline / 10 > 8192 ? baseline / 10 : 8192))
growth=$((settled - baseline))
echo "UI process after the last burst: $(mib "$settled") MiB; baseline after the warm-up: $(mib "$baseline") MiB;" \
     "growth $(mib "$growth") MiB (allowed $(mib "$allowed") MiB)"
((growth <= allowed)) || { echo "memory did not return to its level before the bursts"; status=1; }

touch "$WORK/go-close"
for _ in $(seq 100); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$APP_PID" 2>/dev/null; then echo "the page's zorv.app.close() did not end the runtime"; status=1
else wait "$APP_PID" 2>/dev/null || true; APP_PID=; fi
((status == 0)) && echo "load: ok" || echo "load: FAILED"
exit $status
