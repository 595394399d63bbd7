#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "TestClient.h"
#include "TestMainThread.h"
#include "XvfbServer.h"
#include "platform/x11/X11Platform.h"

namespace pastiq::testing {

// The display every test of this binary shares; none when Xvfb could not start.
const XvfbServer* sharedServer();

// Runs shell commands with the private display; the command's program must be one of
// tests/external-programs.txt.
int runShell(const std::string& command);
std::string readShell(const std::string& command);

// A fresh platform per test, a stand-in main thread, and a focused window of "another
// application" on the private display.
class X11Test : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    // Reads the clipboard as the engine does, running the stand-in main thread until the
    // answer comes; no text when none came in time.
    ClipboardText readClipboard();

    TestMainThread main;
    RecordingLog log;
    std::unique_ptr<X11Platform> platform;
    std::unique_ptr<TestClient> client;
};

}  // namespace pastiq::testing
