#pragma once

#include <functional>
#include <memory>

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
};

}  // namespace pastiq
