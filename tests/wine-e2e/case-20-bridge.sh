# Every bridge function through the runtime's real dispatcher, each reply compared byte for byte;
# calls from other origins, broken messages, unknown functions and unsafe uuids get no reply.
begin_case bridge
ini ID=com.zorv.wine.bridge "Name=Zorv Wine Bridge" DirName=app
printf '<!doctype html><title>Bridge</title>\n' >"$PROJECT/app/index.html"
printf 'packed inside\n' >"$PROJECT/app/inside.txt"
pack bridge
bin="$CASE_DIR/bin"
mkdir -p "$bin/sub" "$bin/adir" "$bin/deldir/inner"
: >"$bin/exists.txt"; : >"$bin/sub/nested.txt"; : >"$bin/todelete.txt"; : >"$bin/deldir/inner/f.txt"
user_dir="C:\\users\\$(basename "$(dirname "$(dirname "$LOCAL_APPDATA")")")\\"
BIN_DIR_WIN="$(winpath "$bin")\\" EXE_WIN="$(winpath "$bin/bridge.exe")" USER_DIR_WIN="$user_dir" \
    APP_NAME="Zorv Wine Bridge" node "$E2E_DIR/bridge-scenario.js" "$CASE_DIR/scenario.json"
start_app pid "$bin/bridge.exe" one "two words"
wait_exit "$pid" 60
check "the application ends through the close protocol (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
checkjs "every reply is byte-exact, and refused calls get none" "expectedReplies()"
check "writeTextFile wrote a BOM and CR LF line ends" \
    cmp "$bin/out/new.txt" <(printf '\xef\xbb\xbfa\r\nb\r\n')
check "deleteFile deleted the file" test ! -e "$bin/todelete.txt"
check "extractFile copied the packed file out" cmp "$bin/extracted.txt" "$PROJECT/app/inside.txt"
check "a missing entry creates no file" test ! -e "$bin/never.txt"
check "deleteDir removed the tree" test ! -e "$bin/deldir"
check "base64 abc" cmp "$bin/b64/abc.bin" <(printf 'abc')
check "base64 without padding decodes the tail too" cmp "$bin/b64/six.bin" <(printf "abcd")
check "base64 with padding" cmp "$bin/b64/one.bin" <(printf 'a')
