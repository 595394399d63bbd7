#include "X11Fixture.h"

#include "ExternalPrograms.h"

#include <cstdio>
#include <cstdlib>

namespace pastiq::testing {
namespace {

std::unique_ptr<XvfbServer>& server() {
    static std::unique_ptr<XvfbServer> started;
    return started;
}

class XvfbEnvironment final : public ::testing::Environment {
  public:
    void SetUp() override {
        if (const std::string problem = programProblem("Xvfb"); !problem.empty()) {
            GTEST_FAIL() << problem;
        }
        server() = XvfbServer::start();
        if (server()) {
            setenv("DISPLAY", server()->display().c_str(), 1);
        }
        // Nothing of the developer's own session may leak in.
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("XDG_SESSION_TYPE");
        unsetenv("AT_SPI_BUS_ADDRESS");
        setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/pastiq-test-bus", 1);
    }
    void TearDown() override { server().reset(); }
};

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new XvfbEnvironment);  // gtest takes ownership

}  // namespace

const XvfbServer* sharedServer() {
    return server().get();
}

int runShell(const std::string& command) {
    if (const std::string problem = programProblem(command); !problem.empty()) {
        ADD_FAILURE() << problem;
        return -1;
    }
    return std::system(command.c_str());
}

std::string readShell(const std::string& command) {
    std::string output;
    if (const std::string problem = programProblem(command); !problem.empty()) {
        ADD_FAILURE() << problem;
        return output;
    }
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return output;
    }
    char buffer[65536];
    for (std::size_t read = 0; (read = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        output.append(buffer, read);
    }
    pclose(pipe);
    return output;
}

void X11Test::SetUp() {
    if (sharedServer() == nullptr) {
        GTEST_FAIL() << "the private Xvfb did not start";
    }
    platform = X11Platform::start(main.poster(), log);
    ASSERT_NE(platform, nullptr);
    client = std::make_unique<TestClient>(sharedServer()->display());
    client->focusWindow();
}

ClipboardText X11Test::readClipboard() {
    // Shared: an answer that comes after the wait gave up must not write to a dead frame.
    auto answer = std::make_shared<std::optional<ClipboardText>>();
    platform->ports().clipboard.readText(
        [answer](ClipboardText text) { *answer = std::move(text); });
    EXPECT_TRUE(main.runUntil([&] { return answer->has_value(); }));
    return answer->value_or(ClipboardText{});
}

void X11Test::TearDown() {
    platform.reset();
    client.reset();
}

}  // namespace pastiq::testing
