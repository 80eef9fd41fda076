#pragma once
#include <glib-object.h>
#include <glib.h>
#include <gtk/gtk.h>

#include <memory>
#include <string>

namespace zorv {

// Owners for the GLib resources the GTK services hold for a while: each releases its pointer
// with the matching GLib call when it goes out of scope.
struct TGObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct TGErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
struct TGFree {
    void operator()(gpointer memory) const { g_free(memory); }
};
struct TGStrvFree {
    void operator()(gchar** strings) const { g_strfreev(strings); }
};
struct TGBytesUnref {
    void operator()(GBytes* bytes) const { g_bytes_unref(bytes); }
};
struct TGVariantUnref {
    void operator()(GVariant* value) const { g_variant_unref(value); }
};
// A widget held by a counted reference of its own: destroyed (taken from its parent, its
// signals dropped), then released.
struct TWidgetRelease {
    void operator()(gpointer widget) const {
        gtk_widget_destroy(GTK_WIDGET(widget));
        g_object_unref(widget);
    }
};
// Frees the list's cells only; the items stay their owners'.
struct TGListFree {
    void operator()(GList* list) const { g_list_free(list); }
};

template <typename T>
using TGObjectOwned = std::unique_ptr<T, TGObjectUnref>;
using TGErrorOwned = std::unique_ptr<GError, TGErrorFree>;
using TGCharOwned = std::unique_ptr<gchar, TGFree>;
using TGStrvOwned = std::unique_ptr<gchar*, TGStrvFree>;
using TGVariantOwned = std::unique_ptr<GVariant, TGVariantUnref>;
using TGBytesOwned = std::unique_ptr<GBytes, TGBytesUnref>;
using TGListOwned = std::unique_ptr<GList, TGListFree>;
template <typename T = GtkWidget>
using TWidgetOwned = std::unique_ptr<T, TWidgetRelease>;

// Bytes over a string's own bytes, not copied: the string lives until the last reference goes.
inline TGBytesOwned BytesTaking(std::string bytes) {
    auto* kept = new std::string(std::move(bytes));
    return TGBytesOwned(g_bytes_new_with_free_func(
        kept->data(), kept->size(), [](gpointer data) { delete static_cast<std::string*>(data); }, kept));
}

// A weak reference to a GObject: it does not keep the object alive, and reads as empty once the
// object is gone. Safe to read from any thread.
template <typename T>
class TGWeakRef {
public:
    explicit TGWeakRef(T* object) { g_weak_ref_init(&FRef, object); }
    ~TGWeakRef() { g_weak_ref_clear(&FRef); }
    TGWeakRef(const TGWeakRef&) = delete;
    TGWeakRef& operator=(const TGWeakRef&) = delete;

    // A strong reference to the object, or null once it is gone.
    TGObjectOwned<T> Get() { return TGObjectOwned<T>(static_cast<T*>(g_weak_ref_get(&FRef))); }

private:
    GWeakRef FRef;
};

// Takes a counted reference to a new widget, so that it lives until its owner goes, whatever its
// container does.
template <typename T>
TWidgetOwned<T> SinkWidget(T* widget) {
    g_object_ref_sink(widget);
    return TWidgetOwned<T>(widget);
}

}  // namespace zorv
