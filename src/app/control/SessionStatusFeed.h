#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "model/Signal.h"

namespace pastiq {

class SessionController;

// Announces the status line after every change of the session: a start, a paste, a step, an
// edit, a delete, a reload, the end. One user action stores several fields, and a held key
// repeats quickly, so changes within a short window make one announcement; the window starts
// at the first change, so the last state is always announced and never later than that.
class SessionStatusFeed final : public QObject {
    Q_OBJECT

  public:
    static constexpr int kCoalesceMilliseconds = 30;

    // `backend` is the display backend's name the status line carries.
    SessionStatusFeed(std::shared_ptr<SessionController> controller, std::string backend,
                      std::function<void(const std::string&)> announce, QObject* parent = nullptr);

    // Announces a pending change at once, for a program about to quit.
    void flush();

  private:
    void observeSession();
    void schedule();
    void announceNow();

    std::shared_ptr<SessionController> controller_;
    std::string backend_;
    std::function<void(const std::string&)> announce_;
    Subscription sessionSubscription_;
    Subscription changeSubscription_;
    QTimer timer_;
};

}  // namespace pastiq
