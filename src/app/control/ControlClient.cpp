#include "app/control/ControlClient.h"

#include <ostream>

#include "app/control/ControlCall.h"
#include "app/control/QueueTextInput.h"
#include "app/control/StatusFollower.h"
#include "app/control/cli/ExitStatus.h"
#include "engine/CopySize.h"
#include "model/ClipboardParser.h"

namespace pastiq {

namespace {

// Parsing a text of the largest size takes a while on a busy machine.
constexpr int kTextStartTimeoutMilliseconds = 60000;

// A Pastiq that started nothing answers with the reason.
int reportStartRefusal(const QString& refusal, std::ostream& err) {
    if (refusal.isEmpty()) {
        return kExitDone;
    }
    err << "pastiq: " << refusal.toStdString() << "\n";
    return kExitRefused;
}

// Refused here as a copy would be refused by Pastiq, so a text too large is never sent.
std::optional<int> refuseBeforeSending(const ClipboardText& copy, std::ostream& err) {
    if (const auto reason = whyTooLargeToQueue(copy)) {
        err << "pastiq: " << kCopyTooLargeMessage << ": " << *reason << "\n";
        return kExitRefused;
    }
    if (ClipboardParser::itemCount(copy.text.value_or(std::string())) == 0) {
        err << "pastiq: nothing to queue\n";
        return kExitNotRunningOrNothing;
    }
    return std::nullopt;
}

}  // namespace

ControlClient::ControlClient(QDBusConnection bus) : bus_(std::move(bus)) {}

int ControlClient::run(const DesktopRequest& request, std::istream& in, std::ostream& out,
                       std::ostream& err) {
    switch (request.command) {
        case DesktopCommand::start:
            return start(request, in, err);
        case DesktopCommand::end:
            return call(QStringLiteral("End"), err);
        case DesktopCommand::toggle:
            return call(QStringLiteral("Toggle"), err);
        case DesktopCommand::quit:
            return call(QStringLiteral("Quit"), err);
        case DesktopCommand::status:
            return request.follow ? StatusFollower(bus_, out).run(err) : status(out, err);
        default:
            err << "pastiq: not a control command\n";
            return kExitUsage;
    }
}

int ControlClient::start(const DesktopRequest& request, std::istream& in, std::ostream& err) {
    if (!request.textFile) {
        const auto reply = callPastiq(bus_, QStringLiteral("Start"), {}, err);
        return reply ? reportStartRefusal(firstText(*reply), err) : kExitNotRunningOrNothing;
    }
    const auto copy = readTextToQueue(*request.textFile, in, err);
    if (!copy) {
        return kExitUsage;
    }
    if (const auto refused = refuseBeforeSending(*copy, err)) {
        return *refused;
    }
    const QByteArray text = QByteArray::fromStdString(*copy->text);
    const auto reply = callPastiq(bus_, QStringLiteral("StartWithText"), {text}, err,
                                  kTextStartTimeoutMilliseconds);
    return reply ? reportStartRefusal(firstText(*reply), err) : kExitNotRunningOrNothing;
}

int ControlClient::status(std::ostream& out, std::ostream& err) {
    const auto reply = callPastiq(bus_, QStringLiteral("Status"), {}, err);
    if (!reply) {
        return kExitNotRunningOrNothing;
    }
    if (reply->isEmpty()) {
        err << "pastiq: the running Pastiq sent no status\n";
        return kExitNotRunningOrNothing;
    }
    out << firstText(*reply).toStdString() << "\n";
    return kExitDone;
}

int ControlClient::call(const QString& method, std::ostream& err) {
    return callPastiq(bus_, method, {}, err) ? kExitDone : kExitNotRunningOrNothing;
}

}  // namespace pastiq
