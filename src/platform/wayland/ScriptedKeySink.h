#pragma once

#include <memory>

#include "platform/wayland/KeySink.h"
#include "platform/wayland/SessionType.h"

namespace pastiq::wayland {

// Where the keys Pastiq passes on go under the end-to-end tests on a compositor that offers no
// virtual keyboard, on a machine without /dev/uinput (GNOME's, under test): when
// PASTIQ_TEST_KEY_SINK names a listening Unix stream socket, they go there as the kernel's
// input_event records, as they would to /dev/uinput, and the test hands them to the compositor.
// Nothing when the variable is unset or nobody listens.
inline constexpr const char* kTestKeySinkVariable = "PASTIQ_TEST_KEY_SINK";
[[nodiscard]] std::unique_ptr<KeySink> openScriptedKeySink(const EnvironmentLookup& environment);

}  // namespace pastiq::wayland
