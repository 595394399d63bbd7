#pragma once

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QEventLoop>
#include <QObject>
#include <QString>
#include <iosfwd>

namespace pastiq {

// `pastiq status --follow`: prints the status line now and again each time Pastiq announces a
// change, for panels that read one line per update. Driven by Pastiq's StatusChanged signal,
// never by polling; ends when Pastiq quits, after a last line saying there is no session.
class StatusFollower final : public QObject {
    Q_OBJECT

  public:
    StatusFollower(QDBusConnection bus, std::ostream& out);

    // Runs until Pastiq quits; returns the exit status (1 when no Pastiq answers at the start).
    int run(std::ostream& err);

  private Q_SLOTS:
    void print(const QString& status);

  private:
    bool printCurrentStatus(std::ostream& err);
    void handleOwnerChange(const QString& newOwner);

    QDBusConnection bus_;
    std::ostream& out_;
    QDBusServiceWatcher ownerWatcher_;
    QEventLoop loop_;
    QString lastPrinted_;
};

}  // namespace pastiq
