#include <gtest/gtest.h>

#include <map>

#include "platform/wayland/SessionType.h"

namespace pastiq::wayland {
namespace {

struct SessionCase {
    std::map<std::string, std::string> environment;
    bool isWayland;
};

class SessionTypeTest : public ::testing::TestWithParam<SessionCase> {};

TEST_P(SessionTypeTest, FollowsTheWaylandDisplayThenTheSessionType) {
    const auto& environment = GetParam().environment;
    const EnvironmentLookup lookup = [&](const std::string& name) -> std::optional<std::string> {
        const auto found = environment.find(name);
        return found == environment.end() ? std::nullopt : std::optional(found->second);
    };
    EXPECT_EQ(isWaylandSession(lookup), GetParam().isWayland);
}

INSTANTIATE_TEST_SUITE_P(
    Environments, SessionTypeTest,
    ::testing::Values(SessionCase{{{"DISPLAY", ":0"}}, false},
                      SessionCase{{{"DISPLAY", ":0"}, {"WAYLAND_DISPLAY", "wayland-0"}}, true},
                      SessionCase{{{"DISPLAY", ":0"}, {"WAYLAND_DISPLAY", ""}}, false},
                      SessionCase{{{"XDG_SESSION_TYPE", "wayland"}}, true},
                      SessionCase{{{"XDG_SESSION_TYPE", "x11"}, {"DISPLAY", ":1"}}, false}));

}  // namespace
}  // namespace pastiq::wayland
