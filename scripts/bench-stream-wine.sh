#!/usr/bin/env bash
# Windows benchmark under Wine (not part of the tests): a 200 MB stored entry read through the
# runtime's IStream as the stand-in reads a response body for WebView2, against the entry's plain
# extraction and a plain read of the archive file. BENCH_STREAM_MB sets the size.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=build/windows-bench
cmake --preset windows -B "$BUILD" -DZORV_BUILD_BENCH=ON -DZORV_BUILD_TESTS=OFF >/dev/null
cmake --build "$BUILD" --target win32-stream-bench -j 2
source scripts/wine-env.sh
wine_env_create
wine "$BUILD/bench/win32-stream-bench.exe" 'C:\bench-stream.zip' "${BENCH_STREAM_MB:-200}" \
    >"$WINE_LOGS/stream.txt" 2>&1 </dev/null || { cat "$WINE_LOGS/stream.txt"; exit 1; }
tr -d '\r' <"$WINE_LOGS/stream.txt"
