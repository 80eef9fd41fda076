// zorv.mainMenu.*: the native menu bar that a page describes, and its clicks.
#include "bridge/BrowserExternalModule.h"
#include "archive/AppPackage.h"

#include "archive/AbZipKit.h"
#include "bridge/BridgeJson.h"
#include "bridge/BrowserExternalForm.h"
#include "bridge/TextConvert.h"
#include "platform/MenuBar.h"
#include "shared/FailureSink.h"
#include "shared/FileSystem.h"
#include "shared/InputFile.h"
#include "shared/Utf8Path.h"

namespace zorv {
namespace {

// Menu images are icons; a file far larger than any icon is not one.
constexpr std::size_t MaxMenuImageSize = 16u << 20;

std::optional<std::string> ReadMenuImageFile(const std::string& path) {
    const std::filesystem::path fsPath = TPagePaths::ToFsPath(path);
    if (!TFileSystem::IsFile(fsPath)) return std::nullopt;
    TResult<std::string> bytes = ReadWholeFile(PathToUtf8(fsPath), MaxMenuImageSize);
    if (!bytes) return std::nullopt;
    return std::move(bytes).Value();
}

// Hands the menu to the platform when the call ends, also when an error ends it early, so that
// what the user sees is always what the module holds.
class TMenuRefresh {
public:
    explicit TMenuRefresh(std::function<void()> refresh) : FRefresh(std::move(refresh)) {}
    ~TMenuRefresh() {
        try {
            FRefresh();
        } catch (const std::exception& error) {
            TFailureSink::Report(std::string("The menu bar could not be shown: ") + error.what());
        } catch (...) {
            TFailureSink::Report("The menu bar could not be shown");
        }
    }
    TMenuRefresh(const TMenuRefresh&) = delete;
    TMenuRefresh& operator=(const TMenuRefresh&) = delete;

private:
    std::function<void()> FRefresh;
};

}  // namespace

// An image is looked for as an archive entry (its full name), then beside the executable, then
// as the path itself.
std::string TBrowserExternalModule::ReadMenuImage(const std::string& path) const {
    if (FPackage && FPackage->Find(path)) {
        std::string data;
        if (FPackage->TryExtract(path, data) == TAbExtractStatus::Ok) return data;
    }
    if (std::optional<std::string> data = ReadMenuImageFile(FContext.appDir + path)) return *data;
    if (std::optional<std::string> data = ReadMenuImageFile(path)) return *data;
    return {};
}

void TBrowserExternalModule::ShowMenu() {
    if (FServices.menuBar && FBrowserExternalForm->IsAttached()) {
        FServices.menuBar->ShowMenu(FBrowserExternalForm->MainMenu());
    }
}

// The whole menu is built in one pass, and the platform's bar is handed it once.
void TBrowserExternalModule::MainMenuSetItems(const std::string& uuid, const TBridgeArguments& args) {
    const std::string itemsText = args.ReadString("items");
    if (itemsText.empty()) return SendError(uuid, "Missing menu items");
    TStatus built;
    {
        const TMenuRefresh refresh([this] { ShowMenu(); });
        built = BuildMainMenu(itemsText);
    }
    if (!built) return SendError(uuid, built.Error());
    SendSuccess(uuid, "true");
}

// Replaces the whole menu; on a malformed description the menu stays attached and empty.
TStatus TBrowserExternalModule::BuildMainMenu(const std::string& itemsText) {
    TBrowserExternalForm& form = *FBrowserExternalForm;
    form.Attach();
    form.ClearItemsAndImages();
    const std::optional<nlohmann::json> items = TBridgeJson::Parse(itemsText);
    if (!items || !items->is_array()) return Failure("Wrong menu items JSON");
    try {
        for (const nlohmann::json& item : *items) {
            if (!item.is_object()) throw EBridgeError("Menu items must be JSON objects");
            form.MainMenu().items.emplace_back();
            if (!form.BuildMenuItem(item, form.MainMenu().items.back())) {
                form.ClearItems();
                return Failure("Wrong menu item JSON");
            }
        }
    } catch (...) {
        // The call is answered with the error; the menu is left empty, as for any malformed item.
        form.ClearItems();
        throw;
    }
    return {};
}

void TBrowserExternalModule::MainMenuUpdateItem(const std::string& uuid, const TBridgeArguments& args) {
    const std::string idText = args.ReadString("id");
    if (idText.empty()) return SendError(uuid, "Missing item ID");
    int32_t id = -1;
    if (!TTextConvert::TryStrToInt32(idText, id)) id = -1;
    if (id == -1) return SendError(uuid, "Wrong item ID");
    TBrowserExternalForm& form = *FBrowserExternalForm;
    if (form.MainMenu().items.empty()) return SendError(uuid, "No menu items");

    TMenuItemModel* found = nullptr;
    for (TMenuItemModel& item : form.MainMenu().items) {
        if ((found = TBrowserExternalForm::FindMenuItemByTag(item, id))) break;
    }
    if (found) {
        const TMenuRefresh refresh([this] { ShowMenu(); });
        UpdateMenuItem(*found, args);
    }
    SendSuccess(uuid, "true");
}

// Members are read only for an item that exists; empty ones leave the item as it is.
void TBrowserExternalModule::UpdateMenuItem(TMenuItemModel& found, const TBridgeArguments& args) {
    const std::string caption = args.ReadString("caption");
    if (!caption.empty()) found.caption = caption;
    const std::string enabled = args.ReadString("enabled");
    if (!enabled.empty()) {
        bool value = true;
        if (!TTextConvert::TryStrToBool(enabled, value)) {
            throw EBridgeError("Value 'enabled' must be a Boolean (true or false)");
        }
        found.enabled = value;
    }
    const std::string image = args.ReadString("image");
    if (!image.empty()) {
        FBrowserExternalForm->ForgetImagePaths();
        FBrowserExternalForm->LoadMenuImage(image, found);
    }
}

}  // namespace zorv
