#include "backends/gtk/GlibUiThread.h"

#include <glib.h>

namespace zorv {

namespace {

gboolean RunOnce(gpointer data) {
    (*static_cast<std::function<void()>*>(data))();
    return G_SOURCE_REMOVE;
}

void DeleteWork(gpointer data) { delete static_cast<std::function<void()>*>(data); }

}  // namespace

void TGlibUiThread::Post(std::function<void()> work) {
    // g_idle_add_full is safe from any thread; the work is freed after it ran (or with the loop).
    g_idle_add_full(G_PRIORITY_DEFAULT, RunOnce, new std::function<void()>(std::move(work)), DeleteWork);
}

}  // namespace zorv
