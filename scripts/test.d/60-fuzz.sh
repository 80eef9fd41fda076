#!/usr/bin/env bash
# Every harness that feeds outside input to the parsers and the bridge runs for 60 s, two at a
# time; any crash, hang, leak or broken protocol fails the stage.
set -euo pipefail
cd "$(dirname "$0")/../.."
FUZZ_JOBS=2 bash scripts/fuzz.sh "${ZORV_FUZZ_SECONDS:-60}"
