#!/usr/bin/env bash
# The bridge's two load figures in the Linux runtime, each printed with the machine's load average:
#   - 50,000 calls in flight at once, time until every one has settled (scripts/load-linux.sh);
#   - zorv.mainMenu.setItems with 3,000 items, timed from the page (bench/bridge-menu): the first
#     menu, the call after it, a menu differing in every caption, one item updated (medians of
#     BENCH_RUNS runs, 5).
# With build folders as arguments (each holding zorv-runtime and zorv-pack) the figures of all of
# them are taken in turn, round by round, so that a before and an after share the same conditions:
#   scripts/bench-bridge-linux.sh                      builds and measures build/bench
#   scripts/bench-bridge-linux.sh OLD_BUILD NEW_BUILD  measures both, alternating
# Not part of the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
RUNS=${BENCH_RUNS:-5}
CALLS=${BENCH_CALLS:-50000}
# BENCH_MENU_ONLY=1 leaves out the 50,000 calls; BENCH_ENV="NAME=VALUE ..." goes to the menu runs.

if [ "${1:-}" != "--inner" ]; then
    if [ $# -eq 0 ]; then
        cmake --preset bench >/dev/null
        cmake --build --preset bench --target zorv-runtime zorv-pack -j 2 >/dev/null
        set -- "$ROOT/build/bench"
    fi
    if [ -n "${DISPLAY:-}" ]; then exec bash "$0" --inner "$@"; fi
    exec timeout -k 10 1800 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" --inner "$@"
fi
shift
BUILDS=()
for build in "$@"; do BUILDS+=("$(cd "$build" && pwd)"); done

WORK=$(mktemp -d /tmp/zorv-bench-bridge.XXXXXX)
openbox >/dev/null 2>&1 &
WM=$!
trap 'kill "$WM" 2>/dev/null; wait "$WM" 2>/dev/null; rm -rf "$WORK"' EXIT
mkdir -p "$WORK/run" "$WORK/home" "$WORK/tmp"
chmod 700 "$WORK/run"

load() { cut -d' ' -f1-3 /proc/loadavg; }
median() { sort -n | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }

# One run of the menu page packed with build B; prints its report ({"first":..,"changed":..,"update":..}).
run_menu() {
    local build=$1 app="$WORK/menu-app-$2"
    [ -e "$app" ] || "$build/zorv-pack" build bench/bridge-menu -o "$app" --runtime "$build/zorv-runtime" >/dev/null
    rm -f "$WORK/report.txt" "$WORK/error.txt"
    (cd "$WORK" && env HOME="$WORK/home" XDG_RUNTIME_DIR="$WORK/run" XDG_DATA_HOME="$WORK/home/data" \
        XDG_CONFIG_HOME="$WORK/home/config" XDG_CACHE_HOME="$WORK/home/cache" TMPDIR="$WORK/tmp" \
        GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 DBUS_SESSION_BUS_ADDRESS=disabled: ${BENCH_ENV:-} \
        timeout 60 "$app" >/dev/null 2>&1) || true
    sed 's/^\xEF\xBB\xBF//' "$WORK/report.txt" 2>/dev/null || cat "$WORK/error.txt" 2>/dev/null || echo '{}'
}
field() { node -e "process.stdout.write(String(JSON.parse(process.argv[1]).$1))" "$2"; }

echo "== setItems with 3,000 items, from the page (ms; medians of $RUNS runs)"
declare -A FIRST NEXT CHANGED UPDATE LOADS
for round in $(seq 1 "$RUNS"); do
    for i in "${!BUILDS[@]}"; do
        report=$(run_menu "${BUILDS[$i]}" "$i")
        FIRST[$i]+="$(field first "$report") "
        NEXT[$i]+="$(field next "$report") "
        CHANGED[$i]+="$(field changed "$report") "
        UPDATE[$i]+="$(field update "$report") "
        LOADS[$i]+="$(load | cut -d' ' -f1) "
    done
done
for i in "${!BUILDS[@]}"; do
    printf '%s\n  first menu %s ms (the call after it %s ms), a changed menu %s ms, one item updated %s ms; load averages during the runs: %s\n' \
        "${BUILDS[$i]}" "$(tr ' ' '\n' <<<"${FIRST[$i]}" | grep . | median)" "$(tr ' ' '\n' <<<"${NEXT[$i]}" | grep . | median)" \
        "$(tr ' ' '\n' <<<"${CHANGED[$i]}" | grep . | median)" "$(tr ' ' '\n' <<<"${UPDATE[$i]}" | grep . | median)" \
        "${LOADS[$i]}"
    echo "    first: ${FIRST[$i]}; next: ${NEXT[$i]}; changed: ${CHANGED[$i]}; update: ${UPDATE[$i]}"
done

[ -z "${BENCH_MENU_ONLY:-}" ] || exit 0
echo "== $CALLS calls in flight, time until all have settled (two bursts after a warm-up)"
for i in "${!BUILDS[@]}"; do
    echo "${BUILDS[$i]} (load average before: $(load))"
    LOAD_CALLS=$CALLS LOAD_ROUNDS=2 ZORV_BUILD_DIR="${BUILDS[$i]}" bash scripts/load-linux.sh --inner | sed 's/^/  /' || true
    echo "  load average after: $(load)"
done
