#include "platform/wayland/InputAccessReport.h"

#include <cerrno>

namespace pastiq::wayland {
namespace {

constexpr const char* kJoinInputGroup = "sudo usermod -aG input $USER";
// Grants /dev/uinput to whoever sits at the seat, as game-controller packages do, and applies
// it to the node there is now.
constexpr const char* kInstallUinputRule =
    "echo 'KERNEL==\"uinput\", SUBSYSTEM==\"misc\", TAG+=\"uaccess\", "
    "OPTIONS+=\"static_node=uinput\"' | sudo tee /etc/udev/rules.d/70-pastiq-uinput.rules && "
    "sudo udevadm control --reload && sudo udevadm trigger --name-match=uinput";
constexpr const char* kLoadUinput =
    "sudo modprobe uinput && echo uinput | sudo tee /etc/modules-load.d/pastiq-uinput.conf";

InputAccessFix keyboardFix(bool groupAwaitsLogin) {
    if (groupAwaitsLogin) {
        return {.problem =
                    "Your account is in the input group, but this login started before "
                    "it was added. Log out and back in so Pastiq can read the keyboard.",
                .command = ""};
    }
    return {.problem =
                "Pastiq cannot read the keyboard: your account is not in the input "
                "group, which lets a program see the keys you type. Run this command, "
                "then log out and back in.",
            .command = kJoinInputGroup};
}

InputAccessFix uinputFix(UinputAccess uinput) {
    if (uinput == UinputAccess::Missing) {
        return {.problem =
                    "Pastiq cannot pass your keys on: the kernel's uinput module, "
                    "through which it types, is not loaded. This command loads it now "
                    "and at every start.",
                .command = kLoadUinput};
    }
    return {.problem =
                "Pastiq cannot pass your keys on: you may not write to /dev/uinput, "
                "through which it types. This command installs a rule that lets the "
                "person at the computer use it.",
            .command = kInstallUinputRule};
}

}  // namespace

UinputAccess uinputAccessFromError(int error) {
    if (error == 0) {
        return UinputAccess::Writable;
    }
    return error == ENOENT || error == ENODEV || error == ENXIO ? UinputAccess::Missing
                                                                : UinputAccess::NotWritable;
}

bool InputAccessReport::complete() const {
    const bool types = uinput == UinputAccess::Writable || compositorVirtualKeyboard == true;
    return readsKeyboards && types && compositorClipboard != false;
}

std::vector<InputAccessFix> InputAccessReport::fixes() const {
    std::vector<InputAccessFix> fixes;
    if (!readsKeyboards) {
        fixes.push_back(keyboardFix(groupAwaitsLogin));
    }
    if (uinput != UinputAccess::Writable && compositorVirtualKeyboard != true) {
        fixes.push_back(uinputFix(uinput));
    }
    if (compositorClipboard == false) {
        fixes.push_back({.problem = "This desktop does not let Pastiq put items on the "
                                    "clipboard while another application is in front.",
                         .command = ""});
    }
    return fixes;
}

}  // namespace pastiq::wayland
