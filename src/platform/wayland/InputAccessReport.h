#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/ports/InputAccess.h"

namespace pastiq::wayland {

// Whether Pastiq can type through /dev/uinput.
enum class UinputAccess {
    Writable,
    // The node exists but this user may not write it.
    NotWritable,
    // The kernel's uinput module is not loaded, so there is no node.
    Missing,
};

// The errno of opening /dev/uinput, as the access it shows.
[[nodiscard]] UinputAccess uinputAccessFromError(int error);

// What Pastiq needs on Wayland to see and pass on keys, and which of it is missing.
struct InputAccessReport {
    // This process may read the keyboards (/dev/input/event*: the `input` group).
    bool readsKeyboards = false;
    // The account is in the `input` group, but this login started before it was added.
    bool groupAwaitsLogin = false;
    UinputAccess uinput = UinputAccess::Missing;
    // Whether the compositor lets Pastiq set the clipboard without focus, and offers a virtual
    // keyboard to type through where /dev/uinput cannot be used; unknown until the Wayland
    // connection has looked.
    std::optional<bool> compositorClipboard;
    std::optional<bool> compositorVirtualKeyboard;

    // True when nothing is missing.
    [[nodiscard]] bool complete() const;
    // What is missing, in the order the user should fix it.
    [[nodiscard]] std::vector<InputAccessFix> fixes() const;
};

}  // namespace pastiq::wayland
