#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace pastiq {

// Turns SIGTERM and SIGINT into a call on the main loop, so a `kill` or Ctrl+C in a terminal
// ends the session and releases the key grabs like Quit in the menu does. The signal handler
// only writes a byte to a socket pair; the main loop reads it.
class TerminationSignals final : public QObject {
    Q_OBJECT

  public:
    // One instance per process: the signal handler has a single socket to write to.
    explicit TerminationSignals(std::function<void()> onSignal, QObject* parent = nullptr);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    [[nodiscard]] bool isInstalled() const { return notifier_ != nullptr; }

  private:
    void readPendingSignal();

    std::function<void()> onSignal_;
    int sockets_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace pastiq
