#!/usr/bin/env bash
# Linux benchmarks of large fetches and of closing, the packaged runtime against a bare WebKitGTK
# program in the same engine (not part of the tests; files under /tmp, removed after):
# - fetch() of a 200 MB stored entry from the archive, read whole by a reader loop, against the
#   same file from a loopback HTTP server in the bare program: MB/s and ratio (goal >= 0.8), and
#   the peak resident memory of the runtime process;
# - from a page's last note to the process's exit: zorv.app.close() against the bare program
#   closing its window.
# ZORV_BENCH_BUILD names a build folder holding zorv-runtime, zorv-pack and bench/bare-webkit
# (default build/bench, built here). BENCH_PART=fetch or BENCH_PART=close runs one part only.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
RUNS=${BENCH_RUNS:-5}
MEGABYTES=${BENCH_FETCH_MB:-200}

if [ "${1:-}" != "--inner" ]; then
    if [ -z "${ZORV_BENCH_BUILD:-}" ]; then
        bash scripts/setup.sh
        cmake --preset bench >/dev/null
        cmake --build --preset bench --target zorv-runtime zorv-pack bare-webkit -j 2
    fi
    if [ -n "${DISPLAY:-}" ]; then exec bash "$0" --inner; fi
    exec timeout -k 10 1200 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" --inner
fi

BUILD="${ZORV_BENCH_BUILD:-$ROOT/build/bench}"
WORK=$(mktemp -d /tmp/zorv-bench-fetch.XXXXXX)
SERVER=""
trap '[ -z "$SERVER" ] || kill "$SERVER" 2>/dev/null; rm -rf "$WORK"' EXIT
mkdir -p "$WORK/tmp" "$WORK/data" "$WORK/run"
chmod 700 "$WORK/run"
ENVIRONMENT=(TMPDIR="$WORK/tmp" XDG_DATA_HOME="$WORK/data" XDG_RUNTIME_DIR="$WORK/run"
             GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 DBUS_SESSION_BUS_ADDRESS=disabled:)
PAGES=bench/linux-e2e/pages

# app NAME PAGE [ASSET]: a packaged application of the page, carrying ASSET as asset.bin.
app() {
    local name=$1 page=$2 asset=${3:-} dir="$WORK/$1"
    mkdir -p "$dir/project/app"
    cp "$PAGES/$page/index.html" "$dir/project/app/index.html"
    [ -z "$asset" ] || cp "$asset" "$dir/project/app/asset.bin"
    printf '[App]\nID=org.zorv.bench.%s\nName=Bench %s\nDirName=app\nAllowInstances=1\n' "$name" "$name" \
        >"$dir/project/zorv.ini"
    "$BUILD/zorv-pack" build "$dir/project" -o "$dir/app" --runtime "$BUILD/zorv-runtime" >/dev/null
    rm -rf "$dir/project"
}

# report FILE: the file's text without a byte-order mark or line ends.
report() { sed 's/^\xEF\xBB\xBF//' "$1" 2>/dev/null | tr -d '\r\n' || true; }

median() { sort -n | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }

# fetch_runtime / fetch_bare: one start of the fetch page; prints "MB/s MB/s MB/s peak-KiB", the
# runtime also the best MB/s of the same entry through its media server, the bare program the best
# MB/s of as many bytes from memory through the engine's custom scheme API.
rates() {
    node -e '
const r = JSON.parse(process.argv[1] || "{}");
if (r.error || !r.runs) { console.error("fetch page failed: " + (r.error || "no report")); process.exit(1); }
const rate = (x) => (x.bytes / 1048576 / (x.ms / 1000)).toFixed(1);
const media = r.media ? " " + Math.max(0, ...r.media.map(rate)) : "";
console.log(r.runs.map(rate).join(" ") + media);
' "$1"
}
fetch_runtime() {
    rm -f "$WORK/fetch/report.txt"
    env "${ENVIRONMENT[@]}" /usr/bin/time -f %M -o "$WORK/fetch/peak" timeout 300 "$WORK/fetch/app" \
        >/dev/null 2>&1 || true
    echo "$(tail -n 1 "$WORK/fetch/peak") $(rates "$(report "$WORK/fetch/report.txt")")"
}
fetch_bare() {
    rm -f "$WORK/report"
    env "${ENVIRONMENT[@]}" /usr/bin/time -f %M -o "$WORK/bare-peak" timeout 300 "$BUILD/bench/bare-webkit" \
        "http://127.0.0.1:$PORT/index.html" "$WORK/report" >/dev/null 2>&1 || true
    echo "$(tail -n 1 "$WORK/bare-peak") $(rates "$(report "$WORK/report")")"
}

# close_runtime / close_bare: one start of the closing page; prints the milliseconds from the
# page's note to the exit.
close_runtime() {
    rm -f "$WORK/close/report.txt"
    env "${ENVIRONMENT[@]}" timeout 60 "$WORK/close/app" >/dev/null 2>&1 || true
    local ended
    ended=$(date +%s%3N)
    echo $((ended - $(report "$WORK/close/report.txt")))
}
close_bare() {
    rm -f "$WORK/report"
    env "${ENVIRONMENT[@]}" timeout 60 "$BUILD/bench/bare-webkit" "file://$ROOT/$PAGES/close/index.html" \
        "$WORK/report" >/dev/null 2>&1 || true
    local ended
    ended=$(date +%s%3N)
    echo $((ended - $(report "$WORK/report")))
}

if [ "${BENCH_PART:-}" != close ]; then
    echo "packing a $MEGABYTES MB asset..."
    mkdir -p "$WORK/served"
    head -c "$((MEGABYTES * 1048576))" /dev/urandom >"$WORK/served/asset.bin"
    cp "$PAGES/fetch/index.html" "$WORK/served/index.html"
    app fetch fetch "$WORK/served/asset.bin"
fi
mkdir -p "$WORK/served"
app close close
PORT=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server --bind 127.0.0.1 --directory "$WORK/served" "$PORT" >/dev/null 2>&1 &
SERVER=$!
for _ in $(seq 1 50); do
    python3 -c "import socket; socket.create_connection(('127.0.0.1', $PORT))" 2>/dev/null && break
    sleep 0.1
done

openbox >/dev/null 2>&1 &
WM=$!
trap 'kill "$WM" "$SERVER" 2>/dev/null; wait "$WM" 2>/dev/null; rm -rf "$WORK"' EXIT

# fetch_part / close_part: the two figures, each printed with its runs.
fetch_part() {
# Each start reads the asset three times; the figure of a start is its best read.
best() { tr ' ' '\n' | sort -g | tail -n 1; }
bare=(); runtime=(); media=(); memory=(); bare_peak=(); runtime_peak=()
fetch_bare >/dev/null; fetch_runtime >/dev/null  # warm caches
for _ in $(seq 1 "$RUNS"); do
    read -r peak a b c m < <(fetch_bare); bare+=("$(echo "$a $b $c" | best)"); bare_peak+=("$peak")
    memory+=("${m:-0}")
    read -r peak a b c m < <(fetch_runtime); runtime+=("$(echo "$a $b $c" | best)"); runtime_peak+=("$peak")
    media+=("${m:-0}")
done
mb=$(printf '%s\n' "${bare[@]}" | median); mr=$(printf '%s\n' "${runtime[@]}" | median)
echo "runs per figure: $RUNS (medians of each start's best of three reads)"
printf 'fetch of %s MB   loopback HTTP (bare) %6s MB/s   archive (runtime) %6s MB/s   ratio %s (goal >= 0.8)\n' \
    "$MEGABYTES" "$mb" "$mr" "$(awk -v a="$mr" -v b="$mb" 'BEGIN { printf "%.2f", a / b }')"
echo "    bare: ${bare[*]}"
echo "    runtime: ${runtime[*]}"
mm=$(printf '%s\n' "${media[@]}" | median)
printf '    the same entry through the runtime'"'"'s media server %s MB/s, ratio %s\n' "$mm" \
    "$(awk -v a="$mm" -v b="$mb" 'BEGIN { printf "%.2f", a / b }')"
mm=$(printf '%s\n' "${memory[@]}" | median)
printf '    bytes from memory through the custom scheme API (bare) %s MB/s, ratio %s\n' "$mm" \
    "$(awk -v a="$mm" -v b="$mb" 'BEGIN { printf "%.2f", a / b }')"
printf 'peak resident memory   bare %s MiB   runtime %s MiB\n' \
    "$(( $(printf '%s\n' "${bare_peak[@]}" | median | cut -d. -f1) / 1024 ))" \
    "$(( $(printf '%s\n' "${runtime_peak[@]}" | median | cut -d. -f1) / 1024 ))"
}

close_part() {
bare=(); runtime=()
close_bare >/dev/null; close_runtime >/dev/null
for _ in $(seq 1 "$RUNS"); do
    bare+=("$(close_bare)")
    runtime+=("$(close_runtime)")
done
mb=$(printf '%s\n' "${bare[@]}" | median); mr=$(printf '%s\n' "${runtime[@]}" | median)
printf 'last note to exit   bare %s ms   runtime %s ms   ratio %s\n' "$mb" "$mr" \
    "$(awk -v a="$mr" -v b="$mb" 'BEGIN { printf (b > 0 ? "%.2f" : "n/a"), a / b }')"
echo "    bare: ${bare[*]}"
echo "    runtime: ${runtime[*]}"
}

[ "${BENCH_PART:-fetch}" != fetch ] || fetch_part
[ "${BENCH_PART:-close}" != close ] || close_part
