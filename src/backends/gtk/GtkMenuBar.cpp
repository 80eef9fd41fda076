#include "backends/gtk/GtkMenuBar.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "backends/gtk/GLibOwned.h"

namespace zorv {

namespace {

struct TCairoSurfaceDestroy {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};

// The decoded images of one menu, at the bar's pixel scale, in normal and greyed form.
struct TMenuImage {
    TGObjectOwned<GdkPixbuf> normal;
    TGObjectOwned<GdkPixbuf> disabled;
};

TGObjectOwned<GdkPixbuf> DecodeImage(const std::string& bytes, int pixels) {
    if (bytes.empty()) return nullptr;
    TGObjectOwned<GdkPixbufLoader> loader(gdk_pixbuf_loader_new());
    const bool written = gdk_pixbuf_loader_write(loader.get(), reinterpret_cast<const guchar*>(bytes.data()),
                                                 bytes.size(), nullptr);
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

GtkWidget* ImageWidget(GdkPixbuf* pixbuf, int scale) {
    std::unique_ptr<cairo_surface_t, TCairoSurfaceDestroy> surface(
        gdk_cairo_surface_create_from_pixbuf(pixbuf, scale, nullptr));
    return gtk_image_new_from_surface(surface.get());
}

bool HasImage(const TMenuItemModel& item, const std::vector<TMenuImage>& images) {
    return item.imageIndex >= 0 && static_cast<size_t>(item.imageIndex) < images.size() &&
           images[item.imageIndex].normal;
}

struct TClickTarget {
    std::function<void(int32_t)> activated;
    int32_t tag;
};

}  // namespace

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

TGtkMenuBar::TGtkMenuBar() : bar_(gtk_menu_bar_new()) {
    g_object_ref_sink(bar_);
    gtk_widget_set_no_show_all(bar_, TRUE);
    g_signal_connect_swapped(bar_, "notify::scale-factor", G_CALLBACK(+[](TGtkMenuBar* self) {
                                 if (gtk_widget_get_visible(self->bar_)) self->Render();
                             }),
                             this);
}

TGtkMenuBar::~TGtkMenuBar() {
    gtk_widget_destroy(bar_);
    g_object_unref(bar_);
}

void TGtkMenuBar::SetOnItemClick(std::function<void(int32_t tag)> handler) { onItemClick_ = std::move(handler); }

void TGtkMenuBar::ItemActivated(int32_t tag) {
    if (onItemClick_) onItemClick_(tag);
}

namespace {

struct TMenuBuilder {
    const std::vector<TMenuImage>& images;
    int scale;
    std::function<void(int32_t)> activated;

    GtkWidget* Item(const TMenuItemModel& model, bool reserveImageColumn) const {
        if (model.caption == "-" && !model.hasSubmenu) return gtk_separator_menu_item_new();
        GtkWidget* item = gtk_menu_item_new();
        GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
        if (HasImage(model, images)) {
            const TMenuImage& image = images[model.imageIndex];
            GtkWidget* picture = ImageWidget(model.enabled ? image.normal.get() : image.disabled.get(), scale);
            gtk_container_add(GTK_CONTAINER(box), picture);
        } else if (reserveImageColumn) {
            GtkWidget* space = gtk_image_new();
            gtk_widget_set_size_request(space, TGtkMenuBar::ImageSize, TGtkMenuBar::ImageSize);
            gtk_container_add(GTK_CONTAINER(box), space);
        }
        GtkWidget* label = gtk_label_new_with_mnemonic(TGtkMenuBar::MnemonicCaption(model.caption).c_str());
        gtk_label_set_mnemonic_widget(GTK_LABEL(label), item);
        gtk_container_add(GTK_CONTAINER(box), label);
        gtk_container_add(GTK_CONTAINER(item), box);
        gtk_widget_set_sensitive(item, model.enabled);
        if (model.hasSubmenu) {
            gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), Submenu(model.items));
        } else {
            g_signal_connect_data(
                item, "activate",
                G_CALLBACK(+[](GtkMenuItem*, TClickTarget* target) { target->activated(target->tag); }),
                new TClickTarget{activated, model.tag},
                [](gpointer target, GClosure*) { delete static_cast<TClickTarget*>(target); }, GConnectFlags(0));
        }
        return item;
    }

    GtkWidget* Submenu(const std::vector<TMenuItemModel>& items) const {
        GtkWidget* menu = gtk_menu_new();
        // Images line up in one column when any sibling has one.
        const bool reserve = std::any_of(items.begin(), items.end(),
                                         [&](const TMenuItemModel& item) { return HasImage(item, images); });
        for (const TMenuItemModel& item : items) gtk_menu_shell_append(GTK_MENU_SHELL(menu), Item(item, reserve));
        return menu;
    }
};

}  // namespace

void TGtkMenuBar::ShowMenu(const TMenuModel& menu) {
    menu_ = menu;
    Render();
}

void TGtkMenuBar::Render() {
    GList* children = gtk_container_get_children(GTK_CONTAINER(bar_));
    for (GList* child = children; child != nullptr; child = child->next) gtk_widget_destroy(GTK_WIDGET(child->data));
    g_list_free(children);

    const int scale = gtk_widget_get_scale_factor(bar_);
    const std::vector<TMenuImage> images = DecodeImages(menu_.images, ImageSize * scale);
    const TMenuBuilder builder{images, scale, [this](int32_t tag) { ItemActivated(tag); }};
    for (const TMenuItemModel& item : menu_.items)
        gtk_menu_shell_append(GTK_MENU_SHELL(bar_), builder.Item(item, false));

    gtk_widget_set_no_show_all(bar_, FALSE);
    gtk_widget_show_all(bar_);
}

}  // namespace zorv
