#include "app/DesktopArguments.h"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

namespace pastiq {
namespace {

struct ArgumentsCase {
    std::vector<std::string_view> args;
    DesktopCommand expected;
};

class DesktopArgumentsTest : public ::testing::TestWithParam<ArgumentsCase> {};

TEST_P(DesktopArgumentsTest, PicksTheCommand) {
    EXPECT_EQ(parseDesktopArguments(GetParam().args).command, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Commands, DesktopArgumentsTest,
                         ::testing::Values(ArgumentsCase{{}, DesktopCommand::runApp},
                                           ArgumentsCase{{"start"}, DesktopCommand::start},
                                           ArgumentsCase{{"end"}, DesktopCommand::end},
                                           ArgumentsCase{{"toggle"}, DesktopCommand::toggle},
                                           ArgumentsCase{{"status"}, DesktopCommand::status},
                                           ArgumentsCase{{"quit"}, DesktopCommand::quit},
                                           ArgumentsCase{{"--help"}, DesktopCommand::help},
                                           ArgumentsCase{{"-h"}, DesktopCommand::help},
                                           ArgumentsCase{{"--version"}, DesktopCommand::version},
                                           // Anything else is refused rather than guessed at.
                                           ArgumentsCase{{"Start"}, DesktopCommand::invalid},
                                           ArgumentsCase{{"stat"}, DesktopCommand::invalid},
                                           ArgumentsCase{{""}, DesktopCommand::invalid},
                                           ArgumentsCase{{"--start"}, DesktopCommand::invalid},
                                           ArgumentsCase{{"start", "now"}, DesktopCommand::invalid},
                                           ArgumentsCase{{"status", "--json"},
                                                         DesktopCommand::invalid}));

struct BackendCase {
    std::vector<std::string_view> args;
    DesktopCommand command;
    BackendChoice backend;
};

class BackendOptionTest : public ::testing::TestWithParam<BackendCase> {};

TEST_P(BackendOptionTest, OnlyTheTrayProgramTakesAKnownBackend) {
    const DesktopRequest request = parseDesktopArguments(GetParam().args);
    EXPECT_EQ(request.command, GetParam().command);
    EXPECT_EQ(request.backend, GetParam().backend);
}

INSTANTIATE_TEST_SUITE_P(
    Backends, BackendOptionTest,
    ::testing::Values(
        BackendCase{{"--backend", "wayland"}, DesktopCommand::runApp, BackendChoice::wayland},
        BackendCase{{"--backend=x11"}, DesktopCommand::runApp, BackendChoice::x11},
        BackendCase{{"--backend"}, DesktopCommand::invalid, BackendChoice::automatic},
        BackendCase{{"--backend", "mir"}, DesktopCommand::invalid, BackendChoice::automatic},
        BackendCase{
            {"--backend", "x11", "start"}, DesktopCommand::invalid, BackendChoice::automatic},
        BackendCase{
            {"start", "--backend", "x11"}, DesktopCommand::invalid, BackendChoice::automatic}));

}  // namespace
}  // namespace pastiq
