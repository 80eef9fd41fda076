#!/usr/bin/env bash
# Native build and unit tests.
set -euo pipefail
cd "$(dirname "$0")/../.."
bash scripts/build.sh linux
ctest --preset linux -j "$(nproc)"
