#!/usr/bin/env bash
# Linux benchmarks of large applications (not part of the tests; files under /tmp, removed after):
# - start to DOMContentLoaded of a 1 GB application against a 1 MB one (goal <= 1.1 times);
# - resident memory of the runtime once started, 1 GB against 1 MB (goal < 100 MB more);
# - one 1 KB range at the end of a 200 MB stored asset after a first whole read (goal < 20 ms);
# - fetch of the 200 MB asset from the archive against the same file from disk through the same
#   handler (goal <= 1.3 times).
# ZORV_BENCH_BUILD names a build folder holding zorv-runtime and zorv-pack (default build/bench).
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
RUNS=${BENCH_RUNS:-5}

if [ "${1:-}" != "--inner" ]; then
    if [ -z "${ZORV_BENCH_BUILD:-}" ]; then
        bash scripts/setup.sh
        cmake --preset bench >/dev/null
        cmake --build --preset bench --target zorv-runtime zorv-pack -j 2
    fi
    if [ -n "${DISPLAY:-}" ]; then exec bash "$0" --inner; fi
    exec timeout -k 10 1200 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" --inner
fi

BUILD="${ZORV_BENCH_BUILD:-$ROOT/build/bench}"
WORK=$(mktemp -d /tmp/zorv-bench-media.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/tmp" "$WORK/data" "$WORK/run"
chmod 700 "$WORK/run"
ENVIRONMENT=(TMPDIR="$WORK/tmp" XDG_DATA_HOME="$WORK/data" XDG_RUNTIME_DIR="$WORK/run"
             GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 DBUS_SESSION_BUS_ADDRESS=disabled:)
PAGES=bench/linux-e2e/pages/media

# app NAME PAGE ASSET_BYTES: a packaged application whose start page is PAGE, carrying asset.bin.
app() {
    local name=$1 page=$2 bytes=$3 dir="$WORK/$1"
    mkdir -p "$dir/project/app"
    cp "$PAGES/$page" "$dir/project/app/index.html"
    head -c "$bytes" /dev/urandom >"$dir/project/app/asset.bin"
    printf '[App]\nID=org.zorv.bench.%s\nName=Bench %s\nDirName=app\nAllowInstances=1\n' "$name" "$bytes" \
        >"$dir/project/zorv.ini"
    "$BUILD/zorv-pack" build "$dir/project" -o "$dir/app" --runtime "$BUILD/zorv-runtime" >/dev/null
}

# start NAME: one start; prints "milliseconds-to-DOMContentLoaded resident-KiB".
start() {
    local dir="$WORK/$1" begin pid rss=0 report=""
    rm -f "$dir/report.txt"
    begin=$(date +%s%3N)
    env "${ENVIRONMENT[@]}" timeout 60 "$dir/app" >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 1 600); do
        report=$(sed 's/^\xEF\xBB\xBF//' "$dir/report.txt" 2>/dev/null | tr -d '\r\n' || true)
        [ -n "$report" ] && break
        sleep 0.05
    done
    sleep 0.5
    # The runtime is the child of timeout, which env became.
    rss=$(awk '/VmRSS/ { print $2 }' "/proc/$(pgrep -P "$pid" | head -n 1)/status" 2>/dev/null || echo 0)
    wait "$pid" 2>/dev/null || true
    echo "$(( ${report:-0} - begin )) ${rss:-0}"
}

median() { sort -n | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }

echo "packing a 1 MB and a 1 GB application and a 200 MB asset..."
app small hold.html 1048576
app big hold.html 1073741824
rm -f "$WORK/big/project/app/asset.bin"
app media index.html 209715200
cp "$WORK/media/project/app/asset.bin" "$WORK/media/disk.bin"
rm -rf "$WORK/media/project"
ls -l "$WORK/small/app" "$WORK/big/app" "$WORK/media/app" | awk '{ print "    " $5, $9 }'

openbox >/dev/null 2>&1 &
WM=$!
trap 'kill "$WM" 2>/dev/null; wait "$WM" 2>/dev/null; rm -rf "$WORK"' EXIT

start small >/dev/null; start big >/dev/null  # warm caches
small_ms=(); big_ms=(); small_rss=(); big_rss=()
for _ in $(seq 1 "$RUNS"); do
    read -r ms rss < <(start small); small_ms+=("$ms"); small_rss+=("$rss")
    read -r ms rss < <(start big); big_ms+=("$ms"); big_rss+=("$rss")
done
sm=$(printf '%s\n' "${small_ms[@]}" | median); bm=$(printf '%s\n' "${big_ms[@]}" | median)
sr=$(printf '%s\n' "${small_rss[@]}" | median); br=$(printf '%s\n' "${big_rss[@]}" | median)
echo "runs per figure: $RUNS (medians)"
printf 'start to DOMContentLoaded   1 MB %6s ms   1 GB %6s ms   ratio %s (goal <= 1.1)\n' "$sm" "$bm" \
    "$(awk -v a="$bm" -v b="$sm" 'BEGIN { printf "%.2f", a / b }')"
echo "    1 MB: ${small_ms[*]}"
echo "    1 GB: ${big_ms[*]}"
printf 'resident memory after start 1 MB %6s MiB 1 GB %6s MiB difference %s MiB (goal < 100)\n' \
    "$((sr / 1024))" "$((br / 1024))" "$(((br - sr) / 1024))"

rm -f "$WORK/media/report.txt"
(cd "$WORK/media" && env "${ENVIRONMENT[@]}" timeout 300 ./app >/dev/null 2>&1 || true)
node -e '
const r = JSON.parse(require("fs").readFileSync(process.argv[1], "utf8").replace(/^\uFEFF/, ""));
if (r.error) { console.log("media page failed: " + r.error); process.exit(1); }
const med = (list) => list.map((x) => x.ms).sort((a, b) => a - b)[Math.floor(list.length / 2)];
console.log(`one 1 KB range at the end of 200 MB  ${r.range.ms.toFixed(1)} ms (status ${r.range.status}, ${r.range.bytes} bytes; goal < 20)`);
const a = med(r.archive), d = med(r.disk);
console.log(`fetch of 200 MB  archive ${a.toFixed(0)} ms  disk ${d.toFixed(0)} ms  ratio ${(a / d).toFixed(2)} (goal <= 1.3)`);
console.log("    archive: " + r.archive.map((x) => x.ms.toFixed(0) + "/" + x.bytes).join(" "));
console.log("    disk: " + r.disk.map((x) => x.ms.toFixed(0) + "/" + x.bytes).join(" "));
' "$WORK/media/report.txt"
