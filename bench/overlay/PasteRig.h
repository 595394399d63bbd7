#pragma once

#include <memory>
#include <string>

#include "app/ports/QtScheduler.h"
#include "app/windows/AboutWindowController.h"
#include "engine/Settings.h"
#include "fakes/FakeEnginePorts.h"
#include "fakes/FakeWindowSystem.h"
#include "fakes/MemoryPreferenceStore.h"
#include "overlay/OverlayController.h"

namespace pastiq {

class PasteSession;
class SessionController;
class SessionStatusFeed;
class TrayController;
class SystemHelpers;

// Everything a Ctrl+V sets off on Pastiq's main thread, as the program wires it: the session
// controller taking in the paste the key thread decided, the gate state it publishes, the
// overlay, the tray icon and its texts, and the status feed of `pastiq status --follow`. Only
// what talks to the display or the bus is faked. The session runs in the Qt event loop.
class PasteRig {
  public:
    // A session of `itemCount` items, its cursor in the middle, the overlay shown.
    explicit PasteRig(int itemCount);
    ~PasteRig();
    PasteRig(const PasteRig&) = delete;
    PasteRig& operator=(const PasteRig&) = delete;

    // Decides one Ctrl+V on a key thread of its own, which hands the paste to the main thread
    // through its event queue, as the display's key thread does. The main thread takes it in
    // at its next turn of the event loop.
    void pasteFromKeyThread();

    [[nodiscard]] PasteSession& session() const;
    [[nodiscard]] OverlayController& overlay() { return overlay_; }
    // Status lines the feed has announced so far.
    [[nodiscard]] int announcements() const { return announcements_; }

  private:
    testing::FakeEnginePorts fakes_;
    QtScheduler scheduler_;
    testing::FakeWindowSystem windows_;
    OverlayController overlay_{windows_};
    testing::MemoryPreferenceStore preferences_;
    Settings settings_{preferences_};
    std::unique_ptr<SystemHelpers> helpers_;
    AboutWindowController about_{"x11"};
    std::shared_ptr<SessionController> controller_;
    std::unique_ptr<TrayController> tray_;
    std::unique_ptr<SessionStatusFeed> statusFeed_;
    std::string lastStatus_;
    int announcements_ = 0;
};

}  // namespace pastiq
