#pragma once

#include <QDBusConnection>
#include <iosfwd>

#include "app/DesktopArguments.h"

namespace pastiq {

// The command-line front ends: `pastiq start|end|toggle|status` call the running Pastiq over
// the session bus. Each returns the process exit status: 0 on success, 1 (with a message on
// the error stream) when no Pastiq answers.
class ControlClient {
  public:
    explicit ControlClient(QDBusConnection bus);

    int run(DesktopCommand command, std::ostream& out, std::ostream& err);

  private:
    QDBusConnection bus_;
};

}  // namespace pastiq
