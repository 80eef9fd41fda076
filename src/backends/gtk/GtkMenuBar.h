#pragma once
#include <cstdint>
#include <functional>

#include "platform/MenuBar.h"

typedef struct _GtkWidget GtkWidget;

namespace zorv {

// The main window's native menu bar as a GtkMenuBar. The main window packs Widget() at the top
// of its content; the bar stays hidden until the first ShowMenu and shown from then on, even
// when empty. Captions follow the Windows conventions the pages write them in: "-" alone is a
// separator, "&" marks the access key and "&&" is a literal ampersand.
class TGtkMenuBar final : public IMenuBar {
public:
    static constexpr int ImageSize = 16;

    TGtkMenuBar();
    ~TGtkMenuBar() override;
    TGtkMenuBar(const TGtkMenuBar&) = delete;
    TGtkMenuBar& operator=(const TGtkMenuBar&) = delete;

    GtkWidget* Widget() const { return bar_; }

    void ShowMenu(const TMenuModel& menu) override;
    void SetOnItemClick(std::function<void(int32_t tag)> handler) override;

    // "&File" -> "_File": the caption as a GTK mnemonic label.
    static std::string MnemonicCaption(const std::string& caption);

private:
    void ItemActivated(int32_t tag);
    void Render();

    GtkWidget* bar_;
    // Kept to draw the images again when the bar moves to a screen of another scale.
    TMenuModel menu_;
    std::function<void(int32_t tag)> onItemClick_;
};

}  // namespace zorv
