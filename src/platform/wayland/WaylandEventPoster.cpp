#include "platform/wayland/WaylandEventPoster.h"

#include <linux/input-event-codes.h>

#include <chrono>

#include "platform/wayland/KeyLoop.h"
#include "platform/wayland/KeyboardHub.h"

namespace pastiq::wayland {
namespace {

constexpr std::chrono::milliseconds kPostBound{250};

}  // namespace

bool WaylandEventPoster::postCopyKeystroke() {
    return callOnKeyLoop<bool>(loop_, kPostBound, [this] { return post(); }).value_or(false);
}

bool WaylandEventPoster::post() {
    if (hub_.isAltHeld()) {
        return false;
    }
    const std::uint16_t c = hub_.copyKey();
    hub_.router().inject({KeyStroke{KEY_LEFTCTRL, true}, KeyStroke{c, true}, KeyStroke{c, false},
                          KeyStroke{KEY_LEFTCTRL, false}});
    return hub_.router().sinkWorks();
}

}  // namespace pastiq::wayland
