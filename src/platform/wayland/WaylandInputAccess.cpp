#include "platform/wayland/WaylandInputAccess.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <vector>

namespace pastiq::wayland {
namespace {

constexpr const char* kInputGroup = "input";
constexpr const char* kUinputNode = "/dev/uinput";

bool processReadsKeyboards() {
    if (::geteuid() == 0) {
        return true;
    }
    // NOLINTNEXTLINE(concurrency-mt-unsafe): read on the main thread only
    const group* input = ::getgrnam(kInputGroup);
    if (input == nullptr) {
        return false;
    }
    const gid_t inputId = input->gr_gid;
    const int count = ::getgroups(0, nullptr);
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(count, 0)));
    const int got = ::getgroups(static_cast<int>(groups.size()), groups.data());
    groups.resize(static_cast<std::size_t>(std::max(got, 0)));
    return ::getegid() == inputId || std::ranges::find(groups, inputId) != groups.end();
}

bool accountInInputGroup() {
    // NOLINTBEGIN(concurrency-mt-unsafe): read on the main thread only
    const passwd* user = ::getpwuid(::getuid());
    const group* input = ::getgrnam(kInputGroup);
    // NOLINTEND(concurrency-mt-unsafe)
    if (user == nullptr || input == nullptr) {
        return false;
    }
    if (user->pw_gid == input->gr_gid) {
        return true;
    }
    for (char* const* member = input->gr_mem; *member != nullptr; ++member) {
        if (std::string_view(*member) == user->pw_name) {
            return true;
        }
    }
    return false;
}

UinputAccess uinputAccess() {
    struct stat status {};
    if (::stat(kUinputNode, &status) != 0) {
        return uinputAccessFromError(errno);
    }
    return ::access(kUinputNode, R_OK | W_OK) == 0 ? UinputAccess::Writable
                                                   : UinputAccess::NotWritable;
}

}  // namespace

InputAccessProbe systemInputAccessProbe() {
    return {.processReadsKeyboards = &processReadsKeyboards,
            .accountInInputGroup = &accountInInputGroup,
            .uinput = &uinputAccess};
}

InputAccessReport WaylandInputAccess::report() const {
    InputAccessReport report;
    report.readsKeyboards = probe_.processReadsKeyboards();
    report.groupAwaitsLogin = !report.readsKeyboards && probe_.accountInInputGroup();
    report.uinput = probe_.uinput();
    report.compositorClipboard = compositorClipboard_;
    report.compositorVirtualKeyboard = compositorVirtualKeyboard_;
    return report;
}

void WaylandInputAccess::setCompositorSupport(std::optional<bool> clipboard,
                                              std::optional<bool> virtualKeyboard) {
    compositorClipboard_ = clipboard;
    compositorVirtualKeyboard_ = virtualKeyboard;
}

}  // namespace pastiq::wayland
