#include "backends/gtk/GtkMenuBar.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "backends/gtk/GLibOwned.h"

namespace zorv {

namespace {

// The decoded images of one menu, at the bar's pixel scale, in normal and greyed form.
struct TMenuImage {
    TGObjectOwned<GdkPixbuf> normal;
    TGObjectOwned<GdkPixbuf> disabled;
};

TGObjectOwned<GdkPixbuf> DecodeImage(const std::string& bytes, int pixels) {
    if (bytes.empty()) return nullptr;
    TGObjectOwned<GdkPixbufLoader> loader(gdk_pixbuf_loader_new());
    const bool written =
        gdk_pixbuf_loader_write(loader.get(), reinterpret_cast<const guchar*>(bytes.data()), bytes.size(), nullptr);
    const bool closed = gdk_pixbuf_loader_close(loader.get(), nullptr);
    GdkPixbuf* decoded = gdk_pixbuf_loader_get_pixbuf(loader.get());
    if (!written || !closed || decoded == nullptr) return nullptr;
    return TGObjectOwned<GdkPixbuf>(gdk_pixbuf_scale_simple(decoded, pixels, pixels, GDK_INTERP_BILINEAR));
}

// Grey and half transparent, as disabled menu images are drawn.
TGObjectOwned<GdkPixbuf> GreyedImage(GdkPixbuf* image) {
    TGObjectOwned<GdkPixbuf> grey(gdk_pixbuf_add_alpha(image, FALSE, 0, 0, 0));
    gdk_pixbuf_saturate_and_pixelate(grey.get(), grey.get(), 0.0f, FALSE);
    const int width = gdk_pixbuf_get_width(grey.get());
    const int height = gdk_pixbuf_get_height(grey.get());
    const int stride = gdk_pixbuf_get_rowstride(grey.get());
    guchar* pixels = gdk_pixbuf_get_pixels(grey.get());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) pixels[y * stride + x * 4 + 3] /= 2;
    return grey;
}

std::vector<TMenuImage> DecodeImages(const std::vector<std::string>& images, int pixels) {
    std::vector<TMenuImage> decoded;
    for (const std::string& bytes : images) {
        TMenuImage image;
        image.normal = DecodeImage(bytes, pixels);
        if (image.normal) image.disabled = GreyedImage(image.normal.get());
        decoded.push_back(std::move(image));
    }
    return decoded;
}

void SetImage(GtkWidget* picture, GdkPixbuf* pixbuf, int scale) {
    TCairoSurfaceOwned surface(gdk_cairo_surface_create_from_pixbuf(pixbuf, scale, nullptr));
    gtk_image_set_from_surface(GTK_IMAGE(picture), surface.get());
}

bool HasImage(const TMenuItemModel& item, const std::vector<TMenuImage>& images) {
    return item.imageIndex >= 0 && static_cast<size_t>(item.imageIndex) < images.size() &&
           images[item.imageIndex].normal;
}

// Images line up in one column when any sibling has one.
bool ReservesImageColumn(const std::vector<TMenuItemModel>& items, const std::vector<TMenuImage>& images) {
    return std::any_of(items.begin(), items.end(), [&](const TMenuItemModel& item) { return HasImage(item, images); });
}

// Whether two menus have the same items and submenus in the same places, so that one can be
// changed into the other item by item.
bool SameShape(const std::vector<TMenuItemModel>& a, const std::vector<TMenuItemModel>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].hasSubmenu != b[i].hasSubmenu || !SameShape(a[i].items, b[i].items)) return false;
    }
    return true;
}

// Whether the item's own widget shows something else; its submenu is compared on its own.
bool ItemDiffers(const TMenuItemModel& a, const TMenuItemModel& b) {
    return a.tag != b.tag || a.caption != b.caption || a.enabled != b.enabled || a.imageIndex != b.imageIndex;
}

bool StartsWith(const std::vector<std::string>& whole, const std::vector<std::string>& start) {
    return whole.size() >= start.size() && std::equal(start.begin(), start.end(), whole.begin());
}

std::vector<GtkWidget*> ShellChildren(GtkWidget* shell) {
    std::vector<GtkWidget*> items;
    const TGListOwned children(gtk_container_get_children(GTK_CONTAINER(shell)));
    for (GList* child = children.get(); child != nullptr; child = child->next) items.push_back(GTK_WIDGET(child->data));
    return items;
}

struct TClickTarget {
    std::function<void(int32_t)> activated;
    int32_t tag;
};

// What an item's widget keeps of its parts, so that a changed item is changed in place.
constexpr const char* ImageKey = "zorv-menu-image";
constexpr const char* LabelKey = "zorv-menu-label";
constexpr const char* ClickKey = "zorv-menu-click";

bool IsSeparator(const TMenuItemModel& item) { return item.caption == "-" && !item.hasSubmenu; }

// Where a submenu's items are found in the model when the submenu is first shown.
struct TSubmenuSource {
    TGtkMenuBar* bar;
    std::vector<size_t> path;
};

constexpr const char* FilledKey = "zorv-menu-filled";

}  // namespace

struct TGtkMenuBar::TDecodedImages {
    std::vector<TMenuImage> images;
};

std::string TGtkMenuBar::MnemonicCaption(const std::string& caption) {
    std::string label;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&') {
                label += '&';
                ++i;
            } else if (i + 1 < caption.size()) {
                label += '_';
            }
        } else if (caption[i] == '_') {
            label += "__";
        } else {
            label += caption[i];
        }
    }
    return label;
}

TGtkMenuBar::TGtkMenuBar() : FBar(SinkWidget(gtk_menu_bar_new())), FImages(std::make_unique<TDecodedImages>()) {
    gtk_widget_set_no_show_all(FBar.get(), TRUE);
    g_signal_connect_swapped(FBar.get(), "notify::scale-factor", G_CALLBACK(+[](TGtkMenuBar* self) {
                                 if (gtk_widget_get_visible(self->FBar.get())) self->Render();
                             }),
                             this);
}

TGtkMenuBar::~TGtkMenuBar() = default;

void TGtkMenuBar::SetOnItemClick(std::function<void(int32_t tag)> handler) { FOnItemClick = std::move(handler); }

void TGtkMenuBar::ItemActivated(int32_t tag) {
    if (FOnItemClick) FOnItemClick(tag);
}

const TMenuItemModel* TGtkMenuBar::ItemAt(const std::vector<size_t>& path) const {
    const std::vector<TMenuItemModel>* items = &FMenu.items;
    const TMenuItemModel* item = nullptr;
    for (const size_t index : path) {
        if (index >= items->size()) return nullptr;
        item = &(*items)[index];
        items = &item->items;
    }
    return item;
}

// A submenu's widgets are made when it is first shown, so that a large menu costs only its bar
// until the user opens it.
GtkWidget* TGtkMenuBar::BuildItem(const TMenuItemModel& model, bool reserveImageColumn, std::vector<size_t> path) {
    if (IsSeparator(model)) return gtk_separator_menu_item_new();
    GtkWidget* item = gtk_menu_item_new();
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
    // The image's place is always there, shown only when the item or the column needs it.
    GtkWidget* picture = gtk_image_new();
    gtk_widget_set_no_show_all(picture, TRUE);
    gtk_container_add(GTK_CONTAINER(box), picture);
    GtkWidget* label = gtk_label_new(nullptr);
    gtk_label_set_mnemonic_widget(GTK_LABEL(label), item);
    gtk_container_add(GTK_CONTAINER(box), label);
    gtk_container_add(GTK_CONTAINER(item), box);
    g_object_set_data(G_OBJECT(item), ImageKey, picture);
    g_object_set_data(G_OBJECT(item), LabelKey, label);
    if (model.hasSubmenu) {
        GtkWidget* submenu = gtk_menu_new();
        g_signal_connect_data(
            submenu, "show",
            G_CALLBACK(+[](GtkWidget* menu, TSubmenuSource* source) { source->bar->FillSubmenu(menu, source->path); }),
            new TSubmenuSource{this, std::move(path)},
            [](gpointer source, GClosure*) { delete static_cast<TSubmenuSource*>(source); }, GConnectFlags(0));
        gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), submenu);
    } else {
        auto* target = new TClickTarget{[this](int32_t tag) { ItemActivated(tag); }, model.tag};
        g_object_set_data(G_OBJECT(item), ClickKey, target);
        g_signal_connect_data(
            item, "activate", G_CALLBACK(+[](GtkMenuItem*, TClickTarget* target) { target->activated(target->tag); }),
            target, [](gpointer target, GClosure*) { delete static_cast<TClickTarget*>(target); }, GConnectFlags(0));
    }
    ApplyItem(item, model, reserveImageColumn);
    return item;
}

// Caption, state, image and tag of an item that is not a separator.
void TGtkMenuBar::ApplyItem(GtkWidget* item, const TMenuItemModel& model, bool reserveImageColumn) {
    const std::vector<TMenuImage>& images = FImages->images;
    auto* picture = static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(item), ImageKey));
    if (HasImage(model, images)) {
        const TMenuImage& image = images[model.imageIndex];
        SetImage(picture, model.enabled ? image.normal.get() : image.disabled.get(), FScale);
        gtk_widget_set_size_request(picture, -1, -1);
        gtk_widget_show(picture);
    } else if (reserveImageColumn) {
        gtk_image_clear(GTK_IMAGE(picture));
        gtk_widget_set_size_request(picture, ImageSize, ImageSize);
        gtk_widget_show(picture);
    } else {
        gtk_image_clear(GTK_IMAGE(picture));
        gtk_widget_hide(picture);
    }
    auto* label = static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(item), LabelKey));
    gtk_label_set_text_with_mnemonic(GTK_LABEL(label), MnemonicCaption(model.caption).c_str());
    gtk_widget_set_sensitive(item, model.enabled);
    if (auto* target = static_cast<TClickTarget*>(g_object_get_data(G_OBJECT(item), ClickKey))) target->tag = model.tag;
}

void TGtkMenuBar::FillSubmenu(GtkWidget* menu, const std::vector<size_t>& path) {
    if (g_object_get_data(G_OBJECT(menu), FilledKey) != nullptr) return;
    g_object_set_data(G_OBJECT(menu), FilledKey, GINT_TO_POINTER(1));
    const TMenuItemModel* parent = ItemAt(path);
    if (parent == nullptr) return;
    AppendItems(menu, parent->items, path, ReservesImageColumn(parent->items, FImages->images));
}

void TGtkMenuBar::AppendItems(GtkWidget* shell, const std::vector<TMenuItemModel>& items,
                              const std::vector<size_t>& path, bool reserveImageColumn) {
    for (size_t i = 0; i < items.size(); ++i) {
        std::vector<size_t> childPath = path;
        childPath.push_back(i);
        GtkWidget* item = BuildItem(items[i], reserveImageColumn, std::move(childPath));
        gtk_menu_shell_append(GTK_MENU_SHELL(shell), item);
        gtk_widget_show_all(item);
    }
}

void TGtkMenuBar::ShowMenu(const TMenuModel& menu) {
    if (gtk_widget_get_visible(FBar.get()) && SameShape(FMenu.items, menu.items) &&
        StartsWith(menu.images, FMenu.images)) {
        UpdateInPlace(menu);
        return;
    }
    FMenu = menu;
    Render();
}

// Changed items are changed in place, one by one; submenus not yet shown take the new model when
// they are.
void TGtkMenuBar::UpdateInPlace(const TMenuModel& menu) {
    const TMenuModel old = std::exchange(FMenu, menu);
    for (size_t i = old.images.size(); i < FMenu.images.size(); ++i) {
        std::vector<TMenuImage> added = DecodeImages({FMenu.images[i]}, ImageSize * FScale);
        FImages->images.push_back(std::move(added.front()));
    }
    UpdateShell(FBar.get(), old.items, FMenu.items, {}, false);
}

void TGtkMenuBar::UpdateShell(GtkWidget* shell, const std::vector<TMenuItemModel>& before,
                              const std::vector<TMenuItemModel>& after, const std::vector<size_t>& path,
                              bool inSubmenu) {
    // The image column comes or goes with the images of the menu's items.
    const bool columnChanged =
        inSubmenu && ReservesImageColumn(before, FImages->images) != ReservesImageColumn(after, FImages->images);
    const bool reserve = inSubmenu && ReservesImageColumn(after, FImages->images);
    const std::vector<GtkWidget*> widgets = ShellChildren(shell);
    if (widgets.size() != after.size()) {
        for (GtkWidget* widget : widgets) gtk_widget_destroy(widget);
        AppendItems(shell, after, path, reserve);
        return;
    }
    for (size_t i = 0; i < after.size(); ++i) {
        std::vector<size_t> childPath = path;
        childPath.push_back(i);
        if (IsSeparator(before[i]) != IsSeparator(after[i])) {
            GtkWidget* item = BuildItem(after[i], reserve, std::move(childPath));
            gtk_menu_shell_insert(GTK_MENU_SHELL(shell), item, static_cast<gint>(i));
            gtk_widget_destroy(widgets[i]);
            gtk_widget_show_all(item);
            continue;
        }
        if (!IsSeparator(after[i]) && (columnChanged || ItemDiffers(before[i], after[i])))
            ApplyItem(widgets[i], after[i], reserve);
        if (!after[i].hasSubmenu) continue;
        GtkWidget* submenu = gtk_menu_item_get_submenu(GTK_MENU_ITEM(widgets[i]));
        if (submenu != nullptr && g_object_get_data(G_OBJECT(submenu), FilledKey) != nullptr) {
            UpdateShell(submenu, before[i].items, after[i].items, childPath, true);
        }
    }
}

void TGtkMenuBar::Render() {
    for (GtkWidget* child : ShellChildren(FBar.get())) gtk_widget_destroy(child);
    FScale = gtk_widget_get_scale_factor(FBar.get());
    FImages->images = DecodeImages(FMenu.images, ImageSize * FScale);
    AppendItems(FBar.get(), FMenu.items, {}, false);
    gtk_widget_set_no_show_all(FBar.get(), FALSE);
    gtk_widget_show_all(FBar.get());
}

}  // namespace zorv
