#!/usr/bin/env bash
# Cross build for Windows x64: every target must compile and link.
set -euo pipefail
cd "$(dirname "$0")/../.."
bash scripts/build.sh windows
