#include "platform/wayland/WaylandPlatform.h"

#include <optional>
#include <string>
#include <utility>

#include "platform/atspi/AtspiSelectionProbe.h"
#include "platform/wayland/CompositorKeyboard.h"
#include "platform/wayland/DataControlClipboard.h"
#include "platform/wayland/KeyboardDirectory.h"
#include "platform/wayland/ScriptedKeySink.h"
#include "platform/wayland/SessionActivity.h"
#include "platform/wayland/SessionType.h"
#include "platform/wayland/UinputKeyboard.h"
#include "platform/wayland/VirtualKeyboardSink.h"
#include "platform/wayland/WaylandInputAccess.h"
#include "platform/wayland/WaylandKeys.h"
#include "platform/wayland/XWaylandClipboard.h"

namespace pastiq::wayland {
namespace {

// /dev/uinput where it may be written, else the compositor's own virtual keyboard. Both type
// into every application; uinput also works on compositors without the protocol.
std::unique_ptr<KeySink> openKeySink(const CompositorKeyboard& keymap,
                                     const EnvironmentLookup& environment, Log& log) {
    if (auto scripted = openScriptedKeySink(environment)) {
        return scripted;
    }
    if (auto uinput = openUinputKeyboard(); uinput.keyboard) {
        return std::move(uinput.keyboard);
    }
    std::string problem;
    auto sink = VirtualKeyboardSink::create(keymap, problem);
    if (!sink) {
        log.error(LogCategory::permissions, "No way to type keys: " + problem);
    }
    return sink;
}

// The scripted keyboard of the tests is readable by whoever wrote it, group or not.
InputAccessProbe accessProbeFor(const KeyboardDirectory* keyboards) {
    InputAccessProbe probe = systemInputAccessProbe();
    if (keyboards != nullptr && keyboards->isScripted()) {
        probe.processReadsKeyboards = [] { return true; };
    }
    return probe;
}

}  // namespace

// Declared so that the keys, which use the clipboard, go first.
struct WaylandPlatform::Parts {
    Parts(DisplayPorts standIns, InputAccessProbe probe)
        : desktop(standIns), inputAccess(std::move(probe)) {}

    DisplayPorts desktop;
    WaylandInputAccess inputAccess;
    atspi::AtspiSelectionProbe selection;
    std::unique_ptr<WaylandClipboard> clipboard;
    std::unique_ptr<WaylandKeys> keys;
};

std::unique_ptr<WaylandPlatform> WaylandPlatform::start(const MainThreadPost& post, Log& log,
                                                        DisplayPorts desktop) {
    std::string problem;
    auto keymap = CompositorKeyboard::open(problem);
    if (!keymap) {
        log.error(LogCategory::permissions, "No Wayland compositor: " + problem);
        return nullptr;
    }
    const EnvironmentLookup environment = processEnvironment();
    auto keyboards = KeyboardDirectory::open(environment);
    auto parts = std::make_unique<Parts>(desktop, accessProbeFor(keyboards.get()));

    auto started = DataControlClipboard::start(post);
    parts->clipboard = std::move(started.clipboard);
    if (!parts->clipboard) {
        // GNOME: the compositor bridges XWayland's X11 clipboard to every Wayland application.
        parts->clipboard = XWaylandClipboard::start(post, log);
    }
    if (!parts->clipboard) {
        log.error(LogCategory::permissions,
                  "No clipboard access: " + started.problem + ", and no X11 display (XWayland)");
    }
    auto sink = openKeySink(*keymap, environment, log);
    parts->inputAccess.setCompositorSupport(parts->clipboard != nullptr, sink != nullptr);
    if (parts->clipboard && sink && keyboards) {
        parts->keys = WaylandKeys::start(
            WaylandKeys::Devices{std::move(keyboards), std::move(keymap), std::move(sink),
                                 SessionActivity::forThisProcess(environment)},
            *parts->clipboard, post, log);
    }
    if (parts->keys) {
        // A key judged on the main thread goes on only once the writes it made there are in.
        parts->clipboard->noteMainThreadWrites(
            [&writes = parts->keys->judgedKeyWrites()] { return writes.noteWrite(); });
    }
    return std::make_unique<WaylandPlatform>(Passkey{}, std::move(parts));
}

WaylandPlatform::WaylandPlatform(Passkey /*unused*/, std::unique_ptr<Parts> parts)
    : parts_(std::move(parts)) {}

WaylandPlatform::~WaylandPlatform() {
    parts_->keys.reset();
    parts_->clipboard.reset();
}

// Where a piece is missing, the desktop's refusing stand-in answers for it, and the input
// access says what is missing.
DisplayPorts WaylandPlatform::ports() {
    Parts& p = *parts_;
    Clipboard& clipboard =
        p.clipboard ? static_cast<Clipboard&>(*p.clipboard) : p.desktop.clipboard;
    if (!p.keys) {
        return DisplayPorts{
            clipboard,           p.desktop.keyGrab, p.desktop.hotkey, p.desktop.eventPoster,
            p.desktop.modifiers, p.desktop.focus,   p.inputAccess,    p.selection,
            p.desktop.windows};
    }
    return DisplayPorts{
        clipboard,           p.keys->keyGrab(), p.keys->hotkey(), p.keys->eventPoster(),
        p.keys->modifiers(), p.desktop.focus,   p.inputAccess,    p.selection,
        p.desktop.windows};
}

void WaylandPlatform::onConnectionLost(std::function<void()> /*handler*/) {
    // Each thread keeps its own connection and reports a broken one in the log; the session
    // then refuses keys rather than restarting the program.
}

}  // namespace pastiq::wayland
