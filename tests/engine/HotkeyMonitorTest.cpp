#include <gtest/gtest.h>

#include "engine/HotkeyMonitor.h"
#include "fakes/FakeHotkeyGrab.h"

namespace pastiq::testing {
namespace {

TEST(HotkeyMonitorTest, EachPressCallsOnceAndNeverReachesTheApplication) {
    FakeHotkeyGrab backend;
    HotkeyMonitor monitor(backend);
    int presses = 0;
    monitor.onPressed = [&] { ++presses; };
    monitor.registerHotkey();
    EXPECT_FALSE(backend.press());
    EXPECT_FALSE(backend.press());
    EXPECT_EQ(presses, 2);
}

TEST(HotkeyMonitorTest, PressBeforeCallbackIsSetDoesNothing) {
    FakeHotkeyGrab backend;
    HotkeyMonitor monitor(backend);
    monitor.registerHotkey();
    EXPECT_FALSE(backend.press());
}

TEST(HotkeyMonitorTest, RegisteringTwiceKeepsOneGrabAndUnregisterReleasesIt) {
    FakeHotkeyGrab backend;
    HotkeyMonitor monitor(backend);
    int presses = 0;
    monitor.onPressed = [&] { ++presses; };
    monitor.registerHotkey();
    monitor.registerHotkey();
    EXPECT_EQ(backend.activeRegistrations(), 1);
    EXPECT_TRUE(monitor.isRegistered());
    backend.press();
    EXPECT_EQ(presses, 1);
    monitor.unregisterHotkey();
    EXPECT_FALSE(monitor.isRegistered());
    EXPECT_TRUE(backend.press()) << "after unregistering the key is an ordinary key again";
    EXPECT_EQ(presses, 1);
    monitor.unregisterHotkey();
    EXPECT_EQ(backend.unregisterCount(), 2) << "unregistering twice must not release twice";
}

TEST(HotkeyMonitorTest, DestroyedMonitorReleasesTheGrab) {
    FakeHotkeyGrab backend;
    {
        HotkeyMonitor monitor(backend);
        monitor.registerHotkey();
    }
    EXPECT_EQ(backend.activeRegistrations(), 0);
}

}  // namespace
}  // namespace pastiq::testing
