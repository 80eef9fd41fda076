# Both URL spaces in the real engine: a page with a module script, import(), fetch of an app
# file, a worker and localStorage, run twice (a restart keeps the profile that the runtime's user
# data folder names). What Chromium allows in each space is written to the transcript as
# "spaceFeatures"; the checks hold the engine to the outcome measured for it.
for space in file https; do
    engine_case "engine-space-$space"
    cp -r "$ENGINE_CASES/apps/spaces/." "$PROJECT/"
    settings=(ID=com.zorv.engine.space.$space "Name=Zorv Engine Space $space" DirName=app)
    [ "$space" = https ] && settings+=(UrlSpace=https)
    ini "${settings[@]}"
    pack spaces
    for run in 1 2; do
        start_relay
        start_app pid "$CASE_DIR/bin/spaces.exe"
        wait_exit "$pid" 40
        check "run $run closes itself (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
        stop_relay
        features="$CASE_DIR/bin/features-$run.json"
        if [ -s "$features" ]; then
            node -e 'const f = JSON.parse(require("fs").readFileSync(process.argv[1], "utf8").replace(/^\uFEFF/, ""));
console.log(JSON.stringify({ event: "spaceFeatures", space: process.argv[2], run: +process.argv[3], features: f }));' \
                "$features" "$space" "$run" >>"$TRANSCRIPT"
        fi
    done
    check "localStorage survives a restart of the program" test -s "$CASE_DIR/bin/features-2.json"
    if [ "$space" = https ]; then
        checkjs "https://app.localhost: a secure origin of its own" \
            "const f = events('spaceFeatures')[0].features; f.origin === 'https://app.localhost' && f.secure"
        checkjs "https: module script, import(), fetch of an app file, worker and blob worker all work" \
            "const f = events('spaceFeatures')[0].features; ['moduleScript', 'dynamicImport', 'fetch', 'worker', 'blobWorker'].every((k) => f[k].ok) && f.dynamicImport.value === 42 && f.fetch.value === 'from the archive' && f.worker.value === 'worker 42'"
    else
        checkjs "file:///: the origin is opaque to the page (file://) and still secure" \
            "const f = events('spaceFeatures')[0].features; f.location === 'file:///index.html' && f.origin === 'file://' && f.secure"
        checkjs "file:/// (host-fulfilled): module script and import() load, fetch and a worker of file: are refused, a blob worker runs" \
            "const f = events('spaceFeatures')[0].features; f.moduleScript.ok && f.dynamicImport.ok && !f.fetch.ok && !f.worker.ok && f.blobWorker.ok"
        checkjs "the relay says that host-fulfilled file: answers are more permissive than real files" \
            "events('engineNote').some((e) => /CORS/.test(e.text))"
    fi
    checkjs "the second run finds the first run's localStorage" \
        "events('spaceFeatures').map((e) => e.features.runs).join() === '1,2'"
done
