# Start pages whatever their name: an IndexHtml with blanks, non-ASCII letters, a backslash, "./"
# or a folder with a blank opens that page from the archive as the application's own document. The
# engine reports such a start URL in its canonical form; the runtime still recognises it as its own
# navigation. Each page reports through the bridge (so it is an application document) with its
# address, then closes the application.

begin_case startnames
STARTNAMES_PROJECT="$CASE_DIR/project"
mkdir -p "$STARTNAMES_PROJECT/app/pages" "$STARTNAMES_PROJECT/app/a b"

# startnames_page FILE TAG: the page FILE of the archive, which writes shown-TAG.txt beside the
# executable with its own address.
startnames_page() {
    cat >"$STARTNAMES_PROJECT/app/$1" <<HTML
<!doctype html><meta charset="utf-8"><title>$2</title><p>$2</p>
<script>
zorv.files.writeTextFile({filePath: 'shown-$2.txt', contents: location.href}).then(() => zorv.app.close());
</script>
HTML
}

# The setting, the tag of the page it names, and the address that page must see.
STARTNAMES=(
    'index.html|index|zorv://app/index.html'
    'My Page.html|my-page|zorv://app/My%20Page.html'
    'Über.html|uber|zorv://app/%C3%9Cber.html'
    'pages\start.html|pages-start|zorv://app/pages/start.html'
    './start.html|start|zorv://app/start.html'
    'a b/c d.html|folder-blank|zorv://app/a%20b/c%20d.html'
)
startnames_page "index.html" index
startnames_page "My Page.html" my-page
startnames_page "Über.html" uber
startnames_page "pages/start.html" pages-start
startnames_page "start.html" start
startnames_page "a b/c d.html" folder-blank

for entry in "${STARTNAMES[@]}"; do
    IFS='|' read -r setting tag address <<<"$entry"
    printf '[App]\nID=com.zorv.e2e.startnames.%s\nName=Start %s\nDirName=app\nIndexHtml=%s\nWidth=400\nHeight=300\n' \
        "$tag" "$tag" "$setting" >"$STARTNAMES_PROJECT/zorv.ini"
    if ! pack "$STARTNAMES_PROJECT" "$CASE_DIR/app-$tag"; then
        fail "IndexHtml=$setting packs"
        continue
    fi
    start_app pid "$CASE_DIR/app-$tag"
    if wait_for_file "$CASE_DIR/shown-$tag.txt" 15; then
        # The bridge writes text files with a byte order mark and a line break at the end.
        shown=$(sed '1s/^\xEF\xBB\xBF//' "$CASE_DIR/shown-$tag.txt" | tr -d '\r\n')
        check "IndexHtml=$setting shows its page at $address (saw $shown)" test "$shown" = "$address"
    else
        fail "IndexHtml=$setting shows its page (the window stayed blank)"
    fi
    wait_exit "$pid" 10
    [ "$EXIT_CODE" = running ] && kill "$pid" 2>/dev/null
    check "IndexHtml=$setting: the page closed the application (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
done
stop_started
