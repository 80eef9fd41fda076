#!/usr/bin/env bash
# The core and its tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/../.."
bash scripts/build.sh asan
ctest --preset asan -j "$(nproc)"
