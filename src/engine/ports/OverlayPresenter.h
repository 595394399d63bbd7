#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "engine/AfterEachPaste.h"

namespace pastiq {

class PasteSession;

// The floating panel that shows the running session's queue.
class OverlayPresenter {
  public:
    virtual ~OverlayPresenter() = default;
    virtual void show(std::shared_ptr<PasteSession> session) = 0;
    virtual void close() = 0;
    // Runs when the user clicks the panel's close button.
    virtual void setOnClose(std::function<void()> onClose) = 0;
    // A short status ("Copy too large to queue") shown on the panel while it is open, until
    // replaced or taken away with nothing.
    virtual void showNotice(const std::optional<std::string>& notice) = 0;
    // The key Pastiq presses after each paste, named among the panel's key hints.
    virtual void showAfterEachPaste(AfterEachPaste choice) = 0;
};

}  // namespace pastiq
