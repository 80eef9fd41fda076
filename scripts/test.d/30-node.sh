#!/usr/bin/env bash
# The page-side script window.zorv in Node's JavaScript engine, and the TypeScript declarations
# of window.zorv checked against a page that uses every namespace.
set -euo pipefail
cd "$(dirname "$0")/../.."
tsc --noEmit --strict --target es2017 --lib es2017,dom types/zorv.d.ts tests/js/types-usage.ts
echo "types/zorv.d.ts: type check passed"
node --test tests/js/
