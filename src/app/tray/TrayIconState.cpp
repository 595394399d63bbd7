#include "app/tray/TrayIconState.h"

#include "model/PasteSession.h"

namespace pastiq {
namespace {

const QString kSessionActiveToolTip = QStringLiteral("Pastiq — session active. Click for menu.");
const QString kIdleToolTip = QStringLiteral("Pastiq is running. Click for menu.");

}  // namespace

TrayIconState TrayIconState::choose(const std::optional<std::string>& statusMessage,
                                    const PasteSession* session, bool showsCount) {
    if (statusMessage) {
        const QString message = QString::fromStdString(*statusMessage);
        return {Mark::message, message, message};
    }
    if (session != nullptr && showsCount) {
        const QString progress = QString::fromStdString(session->progressText());
        return {Mark::progress, progress, progress + QLatin1Char('\n') + kSessionActiveToolTip};
    }
    if (session != nullptr) {
        return {Mark::none, QString(), kSessionActiveToolTip};
    }
    return {Mark::none, QString(), kIdleToolTip};
}

}  // namespace pastiq
