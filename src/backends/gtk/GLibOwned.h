#pragma once
#include <glib-object.h>
#include <glib.h>
#include <gtk/gtk.h>

#include <memory>
#include <string>

namespace zorv {

// Owners for the GLib, GTK, cairo and WebKit resources the GTK backend holds: each releases its
// pointer with the matching call when it goes out of scope. The one place such releases are
// written: the backend's own code holds what it must release in one of these.
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
// A top-level widget GTK itself keeps (a dialog, a window): destroyed, which drops GTK's own
// reference; no counted reference of ours is held.
struct TWidgetDestroy {
    void operator()(GtkWidget* widget) const { gtk_widget_destroy(widget); }
};
// Frees the list's cells only; the items stay their owners'.
struct TGListFree {
    void operator()(GList* list) const { g_list_free(list); }
};
// A list of URIs that owns its items too.
struct TGUriListFree {
    void operator()(GSList* uris) const { g_slist_free_full(uris, reinterpret_cast<GDestroyNotify>(g_uri_unref)); }
};
// A main-loop source: taken from its context, then released.
struct TGSourceRelease {
    void operator()(GSource* source) const {
        g_source_destroy(source);
        g_source_unref(source);
    }
};
struct TCairoSurfaceDestroy {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
// A boxed value released by its type's own unref function (WebKit's user scripts and script
// replies), so that this header does not need the WebKit headers.
template <typename T, void (*Unref)(T*)>
struct TUnrefWith {
    void operator()(T* value) const { Unref(value); }
};

template <typename T>
using TGObjectOwned = std::unique_ptr<T, TGObjectUnref>;
using TGErrorOwned = std::unique_ptr<GError, TGErrorFree>;
using TGCharOwned = std::unique_ptr<gchar, TGFree>;
using TGStrvOwned = std::unique_ptr<gchar*, TGStrvFree>;
using TGVariantOwned = std::unique_ptr<GVariant, TGVariantUnref>;
using TGBytesOwned = std::unique_ptr<GBytes, TGBytesUnref>;
using TGListOwned = std::unique_ptr<GList, TGListFree>;
using TGUriListOwned = std::unique_ptr<GSList, TGUriListFree>;
using TGSourceOwned = std::unique_ptr<GSource, TGSourceRelease>;
using TTopLevelOwned = std::unique_ptr<GtkWidget, TWidgetDestroy>;
using TCairoSurfaceOwned = std::unique_ptr<cairo_surface_t, TCairoSurfaceDestroy>;
template <typename T, void (*Unref)(T*)>
using TUnrefOwned = std::unique_ptr<T, TUnrefWith<T, Unref>>;
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
