#pragma once

#include <QDBusConnection>
#include <iosfwd>

#include "app/DesktopArguments.h"

namespace pastiq {

// The command-line front ends: `pastiq start|end|toggle|status|quit` call the running Pastiq over
// the session bus. Each returns the process exit status (app/control/cli/ExitStatus.h), with a
// message on the error stream for every status but 0.
class ControlClient {
  public:
    explicit ControlClient(QDBusConnection bus);

    // `in` is read by `start -` only.
    int run(const DesktopRequest& request, std::istream& in, std::ostream& out, std::ostream& err);

  private:
    int start(const DesktopRequest& request, std::istream& in, std::ostream& err);
    int status(std::ostream& out, std::ostream& err);
    int call(const QString& method, std::ostream& err);

    QDBusConnection bus_;
};

}  // namespace pastiq
