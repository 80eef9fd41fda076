#pragma once
#include <functional>

#include "platform/UiThread.h"

namespace zorv {

// Queues work onto the default GLib main context, which the GTK main loop runs.
class TGlibUiThread final : public IUiThread {
public:
    void Post(std::function<void()> work) override;
};

}  // namespace zorv
