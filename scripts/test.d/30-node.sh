#!/usr/bin/env bash
# The page-side script window.zorv in Node's JavaScript engine.
set -euo pipefail
cd "$(dirname "$0")/../.."
node --test tests/js/
