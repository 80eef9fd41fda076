#!/usr/bin/env bash
# Linux end-to-end benchmarks of the packaged runtime against a bare WebKitGTK program showing the
# same pages from disk: start to DOMContentLoaded, sequential awaited round trips, and a page of
# 300 assets. Prints medians and ratios. Not part of the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
RUNS=${BENCH_RUNS:-7}

if [ "${1:-}" != "--inner" ]; then
    bash scripts/setup.sh
    cmake --preset bench >/dev/null
    cmake --build --preset bench --target zorv-runtime zorv-pack bare-webkit -j "$(nproc)"
    if [ -n "${DISPLAY:-}" ]; then exec bash "$0" --inner; fi
    exec timeout -k 10 1200 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" --inner
fi

BUILD="${ZORV_BENCH_BUILD:-$ROOT/build/bench}"
WORK=$(mktemp -d /tmp/zorv-bench.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/tmp" "$WORK/data" "$WORK/run"
chmod 700 "$WORK/run"
ENVIRONMENT=(TMPDIR="$WORK/tmp" XDG_DATA_HOME="$WORK/data" XDG_RUNTIME_DIR="$WORK/run"
             GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 DBUS_SESSION_BUS_ADDRESS=disabled:)

# page NAME: the page folder on disk, and the same files packed as an application.
page() {
    local name=$1 dir="$WORK/$1"
    mkdir -p "$dir/disk" "$dir/project/app"
    if [ "$name" = assets ]; then
        bash bench/linux-e2e/pages/assets/make.sh "$dir/disk"
    else
        cp bench/linux-e2e/pages/"$name"/* "$dir/disk/"
    fi
    cp bench/linux-e2e/pages/common/bench.js "$dir/disk/"
    cp -r "$dir/disk/." "$dir/project/app/"
    printf '[App]\nID=org.zorv.bench.%s\nName=Bench %s\nDirName=app\nAllowInstances=1\n' "$name" "$name" \
        >"$dir/project/zorv.ini"
    "$BUILD/zorv-pack" build "$dir/project" -o "$dir/app" --runtime "$BUILD/zorv-runtime" >/dev/null
}

# run_bare NAME QUERY / run_runtime NAME ARGS...: one run; prints the report, or "0" on failure.
# Start-up runs also print the milliseconds from the launch to the reported time.
run_bare() {
    local name=$1 query=${2:-} start report
    rm -f "$WORK/report"
    start=$(date +%s%3N)
    env "${ENVIRONMENT[@]}" timeout 60 "$BUILD/bench/bare-webkit" "file://$WORK/$name/disk/index.html$query" \
        "$WORK/report" >/dev/null 2>&1 || true
    report=$(cat "$WORK/report" 2>/dev/null || echo 0)
    [ "$name" = startup ] && echo $((report - start)) || echo "$report"
}
run_runtime() {
    local name=$1; shift
    local start report
    rm -f "$WORK/$name/report.txt"
    start=$(date +%s%3N)
    env "${ENVIRONMENT[@]}" timeout 60 "$WORK/$name/app" "$@" >/dev/null 2>&1 || true
    report=$(sed 's/^\xEF\xBB\xBF//' "$WORK/$name/report.txt" 2>/dev/null | tr -d '\r\n' || echo 0)
    [ -n "$report" ] || report=0
    [ "$name" = startup ] && echo $((report - start)) || echo "$report"
}

median() { sort -n | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }

# compare LABEL UNIT GOAL_TEXT BARE_COMMAND RUNTIME_COMMAND: runs both alternately, RUNS times.
compare() {
    local label=$1 unit=$2 goal=$3 bare_cmd=$4 runtime_cmd=$5 i bare=() runtime=()
    $bare_cmd >/dev/null; $runtime_cmd >/dev/null  # warm caches
    for i in $(seq 1 "$RUNS"); do
        bare+=("$($bare_cmd)")
        runtime+=("$($runtime_cmd)")
    done
    local mb mr
    mb=$(printf '%s\n' "${bare[@]}" | median)
    mr=$(printf '%s\n' "${runtime[@]}" | median)
    printf '%-44s bare %9s %-4s runtime %9s %-4s ratio %s (goal %s)\n' "$label" "$mb" "$unit" "$mr" "$unit" \
        "$(awk -v a="$mr" -v b="$mb" 'BEGIN { printf (b > 0 ? "%.2f" : "n/a"), a / b }')" "$goal"
    echo "    bare: ${bare[*]}"
    echo "    runtime: ${runtime[*]}"
}

openbox >/dev/null 2>&1 &
WM=$!
trap 'kill "$WM" 2>/dev/null; wait "$WM" 2>/dev/null; rm -rf "$WORK"' EXIT
for name in startup roundtrip assets; do page "$name"; done
echo "runs per figure: $RUNS (medians)"
# BENCH_ONLY=startup|roundtrip|assets runs one of them.
wanted() { [ -z "${BENCH_ONLY:-}" ] || [ "$BENCH_ONLY" = "$1" ]; }
wanted startup && compare "start to DOMContentLoaded" ms "<= 1.05" "run_bare startup" "run_runtime startup"
wanted roundtrip && compare "sequential awaited round trips" "/s" ">= 0.9" "run_bare roundtrip ?n=2000" "run_runtime roundtrip"
wanted assets && compare "300 assets, navigation start to load" ms "<= 1.2" "run_bare assets" "run_runtime assets"
true
