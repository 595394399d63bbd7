#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>
#include <functional>
#include <string>

namespace pastiq {

// What the control methods do in the running program.
struct ControlActions {
    // Receives why nothing started, or an empty text when a session started.
    using StartAnswer = std::function<void(const std::string& refusal)>;
    // As the tray menu's Start Session, from the clipboard; answers once the start is over,
    // which is after the clipboard was read.
    std::function<void(StartAnswer answer)> start;
    // As start, from this text instead of the clipboard, parsed and limited as a copy is.
    std::function<std::string(std::string)> startWithText;
    std::function<void()> end;     // ends the session, clipboard cleared
    std::function<void()> toggle;  // as the hot key: ends, or starts from the selection
    std::function<std::string()> status;
    // Quits Pastiq once the reply is on its way, as the menu's Quit Pastiq does.
    std::function<void()> quit;
};

// Pastiq's control interface on the session bus: service and interface named by the
// application id, so desktop key bindings and panels can drive and watch Pastiq.
class ControlService final : public QObject, protected QDBusContext {
    Q_OBJECT

  public:
    // How long a Start call waits for the start to be over before it is answered anyway.
    static constexpr int kStartAnswerBoundMilliseconds = 2000;

    explicit ControlService(ControlActions actions, QObject* parent = nullptr);

    // Exports the object and claims the service name, taking it over from an older Pastiq
    // that is on its way out. False when either failed; the reason is in errorText().
    bool publish(QDBusConnection bus);
    [[nodiscard]] const QString& errorText() const { return errorText_; }
    [[nodiscard]] bool ownsName() const { return ownsName_; }
    // Sends the StatusChanged(s) signal that `pastiq status --follow` and panels listen to.
    void announceStatus(const std::string& status);

  Q_SIGNALS:
    // Another process took the name (an older Pastiq starting up at the same moment, or a
    // stranger); the service claims it back once that process lets it go.
    void nameLost();
    void nameRegained();

  public Q_SLOTS:
    // The bus's method names, which key bindings and panels call; D-Bus spells them CamelCase.
    // NOLINTBEGIN(readability-identifier-naming)
    // Empty when a session started, else the reason it did not (a copy too large to queue).
    // Answered once the clipboard was read, so the call's reply is sent later.
    Q_SCRIPTABLE QString Start();
    Q_SCRIPTABLE QString StartWithText(const QByteArray& text);
    Q_SCRIPTABLE void End();
    Q_SCRIPTABLE void Toggle();
    Q_SCRIPTABLE QString Status();
    Q_SCRIPTABLE void Quit();
    // NOLINTEND(readability-identifier-naming)

  private Q_SLOTS:
    void handleNameLost(const QString& name);

  private:
    bool claimName(const QDBusConnection& bus);
    void reclaimWhenReleased();

    ControlActions actions_;
    QDBusServiceWatcher releaseWatcher_;
    QDBusConnection bus_{QString()};
    QString errorText_;
    bool isObjectRegistered_ = false;
    bool isWatchingLoss_ = false;
    bool ownsName_ = false;
};

}  // namespace pastiq
