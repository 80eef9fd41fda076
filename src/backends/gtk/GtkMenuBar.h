#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "backends/gtk/GLibOwned.h"
#include "platform/MenuBar.h"

typedef struct _GtkWidget GtkWidget;

namespace zorv {

// The main window's native menu bar as a GtkMenuBar. The main window packs Widget() at the top
// of its content; the bar stays hidden until the first ShowMenu and shown from then on, even
// when empty. A submenu's items are made when it is first shown, and a menu that differs from the
// one shown only in some items' captions, states or images has just those items changed in place.
// Captions follow the Windows conventions the pages write them in: "-" alone is a
// separator, "&" marks the access key and "&&" is a literal ampersand.
class TGtkMenuBar final : public IMenuBar {
public:
    static constexpr int ImageSize = 16;

    TGtkMenuBar();
    ~TGtkMenuBar() override;
    TGtkMenuBar(const TGtkMenuBar&) = delete;
    TGtkMenuBar& operator=(const TGtkMenuBar&) = delete;

    GtkWidget* Widget() const { return FBar.get(); }

    void ShowMenu(const TMenuModel& menu) override;
    void SetOnItemClick(std::function<void(int32_t tag)> handler) override;

    // "&File" -> "_File": the caption as a GTK mnemonic label.
    static std::string MnemonicCaption(const std::string& caption);

    // Makes a submenu's items; run when the submenu is first shown.
    void FillSubmenu(GtkWidget* menu, const std::vector<size_t>& path);

private:
    struct TDecodedImages;
    void ItemActivated(int32_t tag);
    void Render();
    void UpdateInPlace(const TMenuModel& menu);
    void UpdateShell(GtkWidget* shell, const std::vector<TMenuItemModel>& before,
                     const std::vector<TMenuItemModel>& after, const std::vector<size_t>& path, bool inSubmenu);
    GtkWidget* BuildItem(const TMenuItemModel& model, bool reserveImageColumn, std::vector<size_t> path);
    void ApplyItem(GtkWidget* item, const TMenuItemModel& model, bool reserveImageColumn);
    void AppendItems(GtkWidget* shell, const std::vector<TMenuItemModel>& items, const std::vector<size_t>& path,
                     bool reserveImageColumn);
    // The item at a path of indices from the bar, or null.
    const TMenuItemModel* ItemAt(const std::vector<size_t>& path) const;

    TWidgetOwned<> FBar;
    // What the bar shows; submenus read their items from it when first shown, and the images are
    // drawn again from it when the bar moves to a screen of another scale.
    TMenuModel FMenu;
    std::unique_ptr<TDecodedImages> FImages;  // FMenu.images decoded at FScale
    int FScale = 1;
    std::function<void(int32_t tag)> FOnItemClick;
};

}  // namespace zorv
