#include "app/control/ControlService.h"

#include <gtest/gtest.h>

#include <QDBusConnectionInterface>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <future>
#include <sstream>

#include "app/control/ControlClient.h"

namespace pastiq {
namespace {

// A private session bus for the test, so the round trip is real and never meets the
// developer's own running Pastiq.
class PrivateBus {
  public:
    PrivateBus() {
        const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
        if (daemon.isEmpty()) {
            return;
        }
        process_.start(daemon, {"--session", "--nofork", "--print-address"});
        if (!process_.waitForReadyRead(5000)) {
            return;
        }
        address_ = QString::fromUtf8(process_.readLine()).trimmed();
    }
    ~PrivateBus() {
        QDBusConnection::disconnectFromBus("pastiq-test-service");
        QDBusConnection::disconnectFromBus("pastiq-test-client");
        process_.kill();
        process_.waitForFinished(2000);
    }
    [[nodiscard]] bool isRunning() const { return !address_.isEmpty(); }
    [[nodiscard]] QDBusConnection connect(const QString& name) const {
        return QDBusConnection::connectToBus(address_, name);
    }

  private:
    QProcess process_;
    QString address_;
};

struct ClientResult {
    int status;
    std::string out;
    std::string err;
};

// The front end blocks on its call, so it runs on a worker thread while this thread's loop
// lets the service answer.
ClientResult runClient(const QDBusConnection& bus, DesktopCommand command) {
    auto result = std::async(std::launch::async, [bus, command] {
        std::istringstream in;
        std::ostringstream out;
        std::ostringstream err;
        ControlClient client(bus);
        const int status = client.run(DesktopRequest{.command = command}, in, out, err);
        return ClientResult{status, out.str(), err.str()};
    });
    while (result.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready) {
        QTest::qWait(5);
    }
    return result.get();
}

TEST(ControlServiceTest, FrontEndsReachThePublishedService) {
    PrivateBus bus;
    if (!bus.isRunning()) {
        GTEST_SKIP() << "dbus-daemon is not installed";
    }
    std::vector<std::string> calls;
    std::string refusal;
    bool startAnswers = true;
    ControlService service(ControlActions{
        // The answer comes after the clipboard was read, on a later turn of the loop.
        [&](const ControlActions::StartAnswer& answer) {
            calls.emplace_back("start");
            if (startAnswers) {
                QTimer::singleShot(100, [answer, refusal] { answer(refusal); });
            }
        },
        [&](const std::string&) {
            calls.emplace_back("start with text");
            return refusal;
        },
        [&] { calls.emplace_back("end"); },
        [&] { calls.emplace_back("toggle"); },
        [] { return std::string(R"({"session":null})"); },
        [&] { calls.emplace_back("quit"); },
    });
    ASSERT_TRUE(service.publish(bus.connect("pastiq-test-service")))
        << service.errorText().toStdString();
    const QDBusConnection client = bus.connect("pastiq-test-client");

    const ClientResult status = runClient(client, DesktopCommand::status);
    EXPECT_EQ(status.status, 0) << status.err;
    EXPECT_EQ(status.out, "{\"session\":null}\n");
    for (auto command : {DesktopCommand::start, DesktopCommand::end, DesktopCommand::toggle,
                         DesktopCommand::quit}) {
        const ClientResult result = runClient(client, command);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_TRUE(result.out.empty());
    }
    EXPECT_EQ(calls, (std::vector<std::string>{"start", "end", "toggle", "quit"}));

    // A start that started nothing fails with the reason.
    refusal = "Copy too large to queue: 110000000 bytes of text, more than 67108864";
    const ClientResult refused = runClient(client, DesktopCommand::start);
    EXPECT_EQ(refused.status, 3);
    EXPECT_EQ(refused.err, "pastiq: " + refusal + "\n");

    // A start that never answers does not keep the caller waiting.
    startAnswers = false;
    const ClientResult unanswered = runClient(client, DesktopCommand::start);
    EXPECT_EQ(unanswered.status, 3);
    EXPECT_NE(unanswered.err.find("still reading the clipboard"), std::string::npos)
        << unanswered.err;
}

TEST(ControlServiceTest, ATakenNameIsReportedAndClaimedBackWhenReleased) {
    PrivateBus bus;
    if (!bus.isRunning()) {
        GTEST_SKIP() << "dbus-daemon is not installed";
    }
    ControlService service(
        ControlActions{[](const ControlActions::StartAnswer& answer) { answer(std::string()); },
                       [](const std::string&) { return std::string(); }, [] {}, [] {},
                       [] { return std::string(); }, [] {}});
    int losses = 0;
    int regains = 0;
    QObject::connect(&service, &ControlService::nameLost, [&] { ++losses; });
    QObject::connect(&service, &ControlService::nameRegained, [&] { ++regains; });
    ASSERT_TRUE(service.publish(bus.connect("pastiq-test-service")));

    QDBusConnection taker = bus.connect("pastiq-test-client");
    const auto name = QStringLiteral("io.github.pastiq.Pastiq");
    ASSERT_EQ(taker.interface()
                  ->registerService(name, QDBusConnectionInterface::ReplaceExistingService)
                  .value(),
              QDBusConnectionInterface::ServiceRegistered);
    EXPECT_TRUE(QTest::qWaitFor([&] { return losses == 1; }, 5000));
    EXPECT_FALSE(service.ownsName());

    taker.interface()->unregisterService(name);
    EXPECT_TRUE(QTest::qWaitFor([&] { return regains == 1; }, 5000));
    EXPECT_TRUE(service.ownsName());
}

TEST(ControlServiceTest, FrontEndsFailWithAMessageWhenNoPastiqRuns) {
    PrivateBus bus;
    if (!bus.isRunning()) {
        GTEST_SKIP() << "dbus-daemon is not installed";
    }
    const ClientResult result =
        runClient(bus.connect("pastiq-test-client"), DesktopCommand::status);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "pastiq: Pastiq is not running\n");
    EXPECT_TRUE(result.out.empty());
}

TEST(ControlServiceTest, FrontEndsFailWithAMessageWithoutABus) {
    const QDBusConnection none("pastiq-test-no-such-connection");
    const ClientResult result = runClient(none, DesktopCommand::toggle);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("not running"), std::string::npos);
}

}  // namespace
}  // namespace pastiq
