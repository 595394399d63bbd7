#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

namespace pastiq::testing {

// A private X server for one test or benchmark process, on a display number the server picks
// itself (-displayfd), so parallel runs never collide.
class XvfbServer {
    struct Passkey {};

  public:
    // Nothing when Xvfb is not installed or did not come up.
    static std::unique_ptr<XvfbServer> start();
    XvfbServer(Passkey, pid_t pid, std::string display);
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    [[nodiscard]] const std::string& display() const { return display_; }

  private:
    pid_t pid_;
    std::string display_;
};

}  // namespace pastiq::testing
