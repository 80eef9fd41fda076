# Lifetimes: the program killed outright (no Close, no goodbye) closes its socket; the relay sees
# it, ends itself and its browser, and no browser outlives the case.
engine_case engine-lifetime
printf '<!doctype html><title>Lifetime</title><h1>Lifetime</h1>\n' >"$PROJECT/app/index.html"
ini ID=com.zorv.engine.lifetime "Name=Zorv Engine Lifetime" DirName=app
pack lifetime
start_relay
relay=$RELAY_PID
start_app pid "$CASE_DIR/bin/lifetime.exe"
if check "the page loads in the engine" wait_event '"event":"loaded"' 30; then
    browser=$(cat "$CASE_DIR/browser.pid")
    kill -9 "$pid"
    wait "$pid" 2>/dev/null
    gone() { local waited=0; while kill -0 "$1" 2>/dev/null; do ((waited >= 50)) && return 1; sleep 0.1; waited=$((waited + 1)); done; }
    check "the relay ends itself when the killed program's socket closes" gone "$relay"
    check "... and its browser with it" gone "$browser"
fi
stop_relay
