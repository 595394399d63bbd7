#include "PasteRig.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "app/control/SessionStatusFeed.h"
#include "app/system/SystemHelpers.h"
#include "app/tray/TrayController.h"
#include "engine/SessionController.h"

namespace pastiq {

namespace {

// The desktop's helpers do nothing a paste reaches.
class IdleSystemHelpers final : public SystemHelpers {
  public:
    void openInputAccessHelp() override {}
    void showInFileManager() override {}
    void relaunch() override {}
    [[nodiscard]] AutostartStatus autostartStatus() override {
        return AutostartStatus::notRegistered;
    }
    void toggleAutostart() override {}
};

std::string listOf(int itemCount) {
    std::string text;
    for (int i = 0; i < itemCount; ++i) {
        text += "Item " + std::to_string(i + 1) + '\n';
    }
    return text;
}

}  // namespace

PasteRig::PasteRig(int itemCount) : helpers_(std::make_unique<IdleSystemHelpers>()) {
    EnginePorts ports = fakes_.ports();
    const EnginePorts wired{ports.clipboard,  scheduler_,      ports.keyGrab,    ports.eventPoster,
                            ports.modifiers,  ports.selection, ports.focus,      ports.inputAccess,
                            ports.alertSound, overlay_,        ports.onboarding, ports.log};
    fakes_.keyGrab.usesGate = true;
    // The display's clipboard thread writes the item; only its change count comes back.
    fakes_.keyGrab.writeForKey = [count = std::make_shared<std::atomic<std::int64_t>>(1000)](
                                     const std::string&) { return ++*count; };
    controller_ = SessionController::create(wired, settings_);
    tray_ = std::make_unique<TrayController>(controller_, settings_, fakes_.inputAccess, *helpers_,
                                             about_);
    statusFeed_ =
        std::make_unique<SessionStatusFeed>(controller_, "x11", [this](const std::string& line) {
            lastStatus_ = line;
            ++announcements_;
        });
    controller_->startSessionWithText(listOf(itemCount));
    if (!controller_->session() ||
        controller_->session()->items().size() != static_cast<std::size_t>(itemCount)) {
        std::fprintf(stderr, "the rig's session did not start with %d items\n", itemCount);
        std::abort();
    }
    controller_->session()->jump(itemCount / 2);
}

PasteRig::~PasteRig() {
    controller_->endSession(false);
}

PasteSession& PasteRig::session() const {
    return *controller_->session();
}

void PasteRig::pasteFromKeyThread() {
    const auto post = scheduler_.mainThreadPost();
    std::thread keyThread([this, &post] {
        fakes_.keyGrab.pressCtrl(KeyPosition::v);
        if (fakes_.keyGrab.undeliveredGateKeys() != 1) {
            std::fprintf(stderr, "the paste gate left a paste to the main thread\n");
            std::abort();
        }
        post([this] { fakes_.keyGrab.deliverGateKeys(); });
    });
    keyThread.join();
}

}  // namespace pastiq
