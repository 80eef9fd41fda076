#!/usr/bin/env bash
# Builds the libFuzzer harnesses (clang, ASan + UBSan) in build/fuzz and runs each for a bounded
# time; prints executions and coverage per harness and fails on any finding.
#   scripts/fuzz.sh [SECONDS] [HARNESS...]     SECONDS per harness, default 60
# Harnesses: archive container settings bridge_message menu base64 resource (all when none is named).
# FUZZ_JOBS=2 runs two harnesses at a time. New inputs go to build/fuzz/corpus/<harness>; the
# seeds in fuzz/corpus/<harness> are only read. Findings land in build/fuzz/findings/.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-60}
shift || true
harnesses=("$@")
((${#harnesses[@]})) || harnesses=(archive container settings bridge_message menu base64 resource)
jobs=${FUZZ_JOBS:-1}
build=$root/build/fuzz

flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
if [ ! -f "$build/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DZORV_BUILD_TESTS=OFF -DZORV_BUILD_GTK=OFF -DZORV_BUILD_FUZZ=ON \
    "-DCMAKE_CXX_FLAGS=$flags" "-DCMAKE_C_FLAGS=$flags" >/dev/null || exit 1
fi
targets=()
for h in "${harnesses[@]}"; do targets+=("fuzz_$h"); done
cmake --build "$build" -j 2 --target "${targets[@]}" >"$build/build.log" 2>&1 || { tail -40 "$build/build.log"; exit 1; }

# Inputs larger than these teach nothing new and only slow a run down.
max_len() { case $1 in archive) echo 16384 ;; *) echo 4096 ;; esac; }
# Harnesses that read web messages start from their member names and function identifiers.
dict() { case $1 in bridge_message | menu) echo "-dict=$root/fuzz/json.dict" ;; esac; }

run_one() {
  local h=$1 work=$build/corpus/$1 findings=$build/findings log=$build/logs/$1.log
  mkdir -p "$work" "$findings" "$build/logs"
  # Paths are absolute: the file-touching harnesses work inside a scratch folder of their own.
  ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=0 \
    "$build/fuzzers/fuzz_$h" "$work" "$root/fuzz/corpus/$h" -max_total_time="$seconds" \
    -max_len="$(max_len "$h")" $(dict "$h") -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$findings/$h-" >"$log" 2>&1
  echo $? >"$log.rc"
}

summary() {
  local h=$1 log=$build/logs/$1.log rc
  rc=$(cat "$log.rc" 2>/dev/null || echo 1)
  local execs cov ft
  execs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$')
  cov=$(grep -Eo 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+/[0-9a-zA-Z]+' "$log" | tail -1)
  printf '%-16s %12s executions  %-40s %s\n' "$h" "${execs:-?}" "${cov:-no coverage line}" \
    "$([ "$rc" = 0 ] && echo ok || echo "FINDING (exit $rc, see $log)")"
  [ "$rc" = 0 ]
}

pending=()
for h in "${harnesses[@]}"; do
  run_one "$h" &
  pending+=($!)
  if ((${#pending[@]} >= jobs)); then wait "${pending[0]}"; pending=("${pending[@]:1}"); fi
done
wait

status=0
for h in "${harnesses[@]}"; do summary "$h" || status=1; done
if ((status)); then
  for h in "${harnesses[@]}"; do
    [ "$(cat "$build/logs/$h.log.rc")" = 0 ] || { echo "--- $h"; grep -A25 -m1 -E '^==[0-9]+==ERROR|deadly signal|Test unit written' "$build/logs/$h.log"; }
  done
fi
exit $status
