# The Linux end-to-end settle page, unchanged, under the Windows runtime in a real Chromium: the
# bad calls a careless or hostile page makes each settle with the answer the Linux checker expects,
# and the next call is still answered. The page's few checks that rest on the Linux shell or file
# names are the platform differences listed in the README; each must still be answered here, and
# case-310 checks their Windows counterparts.
SETTLE_WINDOWS_DIFFERENCES=(
    'endlessOutput rejects'                  # "yes" is no Windows command
    'a background child does not hold'       # "sleep 12 & echo started" is sh syntax
    'calls posted beside a running command'  # so is "sleep 2; echo slow"
    'nulContents resolves'                   # nul.txt names the NUL device on Windows
    'NUL characters are written whole'
)
engine_case engine-settle
cp -r "$ROOT/tests/e2e-linux/apps/settle/." "$PROJECT/"
pack settle
start_relay
start_app pid "$CASE_DIR/bin/settle.exe"
wait_exit "$pid" 60
check "the page closes itself (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
stop_relay
if check "the page wrote its results" test -s "$CASE_DIR/bin/results.json"; then
    node "$ROOT/tests/e2e-linux/check-settle.js" "$CASE_DIR/bin/results.json" >"$CASE_DIR/check.out" 2>&1
    unexpected=0
    while IFS= read -r line; do
        known=0
        for difference in "${SETTLE_WINDOWS_DIFFERENCES[@]}"; do
            [[ "$line" == "FAIL: $difference"* ]] && known=1
        done
        ((known)) || { unexpected=$((unexpected + 1)); echo "      $line"; }
    done < <(grep '^FAIL' "$CASE_DIR/check.out")
    check "the Linux checker passes the page's results, but for the listed platform differences" test "$unexpected" = 0
    check "... which were answered all the same" \
        node -e 'const R = JSON.parse(require("fs").readFileSync(process.argv[1], "utf8").replace(/^\uFEFF/, ""));
process.exit(["endlessOutput", "backgroundChild", "quickBesideCommand", "nulContents"].every((k) => R[k].value !== "__timeout" && R[k].next === "2022.1") ? 0 : 1)' \
        "$CASE_DIR/bin/results.json"
    grep '^figure' "$CASE_DIR/check.out" | sed 's/^/  /'
fi
