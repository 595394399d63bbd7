#pragma once

#include <QStringList>
#include <QWidget>
#include <functional>
#include <vector>

#include "engine/ports/InputAccess.h"

class QLabel;
class QPushButton;

namespace pastiq {

// The onboarding window's content: why Pastiq needs input access, the steps to get it, and
// three buttons. It holds the button callbacks and nothing else. Where the platform names the
// missing pieces, each is listed with the command that fixes it, ready to copy.
class OnboardingView final : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kWidth = 520;
    static constexpr int kHeight = 420;

    explicit OnboardingView(const std::vector<InputAccessFix>& missing = {},
                            QWidget* parent = nullptr);

    std::function<void()> onOpenSettings;
    std::function<void()> onRevealApp;
    std::function<void()> onRestart;

    // Points at the tray icon, or at the launcher panel where there is no tray.
    void showWhereToFindPastiq(bool inTray);

    // The default button, so Return opens the help.
    [[nodiscard]] QPushButton* openSettingsButton() const { return openSettingsButton_; }

  private:
    [[nodiscard]] QWidget* makeHeader();
    [[nodiscard]] QWidget* makeSteps(const QStringList& texts);
    [[nodiscard]] QWidget* makeFixes(const std::vector<InputAccessFix>& missing);
    [[nodiscard]] QWidget* makeButtons();

    QPushButton* openSettingsButton_ = nullptr;
    QLabel* whereHint_ = nullptr;
};

}  // namespace pastiq
