#!/bin/sh
# Runs one Windows test program under Wine for ctest. The program's output goes through a file: a
# program the test started and left running (Wine's file manager, a sleeper) inherits the test's
# standard handles, and through a pipe it would keep ctest waiting long after the test has ended.
output=$(mktemp /tmp/zorv-wine-test.XXXXXX) || exit 1
wine "$@" >"$output" 2>&1 </dev/null
status=$?
cat "$output"
rm -f "$output"
exit $status
