#pragma once
#include <glib-object.h>
#include <glib.h>

#include <memory>

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
struct TGVariantUnref {
    void operator()(GVariant* value) const { g_variant_unref(value); }
};

template <typename T>
using TGObjectOwned = std::unique_ptr<T, TGObjectUnref>;
using TGErrorOwned = std::unique_ptr<GError, TGErrorFree>;
using TGCharOwned = std::unique_ptr<gchar, TGFree>;
using TGStrvOwned = std::unique_ptr<gchar*, TGStrvFree>;
using TGVariantOwned = std::unique_ptr<GVariant, TGVariantUnref>;

}  // namespace zorv
