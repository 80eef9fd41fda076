#pragma once
#include <string>
#include <string_view>

namespace zorv {

// The one script that runs at the start of every document: the bridge object, the two guards that
// stop dropped files from replacing the page, and the application's own extra script. Each piece
// is preceded by a single carriage return.
class TDocumentStartScript {
public:
    TDocumentStartScript() = delete;
    static constexpr std::string_view DragOverGuard =
        "window.addEventListener(\"dragover\", function(e){e.preventDefault();},false);";
    static constexpr std::string_view DropGuard =
        "window.addEventListener(\"drop\", function(e){e.preventDefault();}, false);";

    // `bridgeScript` may start with a UTF-8 byte-order mark, which is dropped. The extra script is
    // added only when it is not blank; it is then added as it stands.
    static std::string Compose(std::string_view bridgeScript, std::string_view extraScript);
    // Empty once every leading and trailing character with a code up to 32 is removed.
    static bool IsBlank(std::string_view text);
};

}  // namespace zorv
