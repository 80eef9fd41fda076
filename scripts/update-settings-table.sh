#!/usr/bin/env bash
# Rewrites the table of zorv.ini keys in README.md (under "### Keys of section `[App]`") from the
# settings schema, src/shared/SettingsSchema.cpp, the one place a key is described. Builds the
# printer, zorv-settings-table, in build/linux (or $ZORV_BUILD_DIR) first.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${ZORV_BUILD_DIR:-build/linux}"
[[ -f "$build/build.ninja" ]] || cmake --preset linux >/dev/null
cmake --build "$build" --target zorv-settings-table >/dev/null
table="$(mktemp)"
trap 'rm -f "$table" "$table.readme"' EXIT
"$build/zorv-settings-table" >"$table"
# The table is the run of "|" lines after the heading and its blank line.
awk -v tableFile="$table" '
  state == 0 && $0 == "### Keys of section `[App]`" { print; state = 1; next }
  state == 1 && $0 == "" { print; next }
  state == 1 && /^\|/ { while ((getline line < tableFile) > 0) print line; state = 2; next }
  state == 1 { print "README.md: no table right under the keys heading" > "/dev/stderr"; exit 1 }
  state == 2 && /^\|/ { next }
  state == 2 { state = 3 }
  { print }
  END { if (state < 2) { print "README.md: no heading \"### Keys of section `[App]`\"" > "/dev/stderr"; exit 1 } }
' README.md >"$table.readme"
cat "$table.readme" >README.md
echo "README.md: table of zorv.ini keys written from the settings schema"
