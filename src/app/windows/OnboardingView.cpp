#include "app/windows/OnboardingView.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "overlay/TextStyle.h"

namespace pastiq {

namespace {

constexpr int kPadding = 28;
constexpr int kRowSpacing = 16;
constexpr int kHeaderSpacing = 12;
constexpr int kHeaderLineSpacing = 4;
constexpr int kStepSpacing = 6;
constexpr int kSymbolSize = 36;
// Large controls: taller than the toolkit's default push button.
constexpr int kLargeButtonHeight = 32;
constexpr int kLargeButtonPadding = 12;
// A group takes effect only in a new login, so every fix ends with one.
QStringList stepsFor(const std::vector<InputAccessFix>& missing) {
    const QString restart = QStringLiteral("If this window is still here, click Restart Pastiq");
    if (missing.empty()) {
        return {QStringLiteral("1. Click Open Input Access Help"),
                QStringLiteral("2. Log out and back in to an X11 session"), "3. " + restart};
    }
    const bool hasCommands = std::any_of(missing.begin(), missing.end(),
                                         [](const auto& fix) { return !fix.command.empty(); });
    if (!hasCommands) {
        return {QStringLiteral("1. Log out and back in"), "2. " + restart};
    }
    return {QStringLiteral("1. Run each command above in a terminal"),
            QStringLiteral("2. Log out and back in"), "3. " + restart};
}

QIcon paperclipIcon() {
    return QIcon::fromTheme(QStringLiteral("mail-attachment"),
                            QIcon(QStringLiteral(":/pastiq/onboarding/paperclip.svg")));
}

}  // namespace

OnboardingView::OnboardingView(const std::vector<InputAccessFix>& missing, QWidget* parent)
    : QWidget(parent) {
    setFixedSize(kWidth, kHeight);
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    rows->setSpacing(kRowSpacing);
    rows->addWidget(makeHeader());
    if (missing.empty()) {
        rows->addWidget(TextStyle::wrappedLabel(
            QStringLiteral("Pastiq reads and sends keys through the X11 display server. Log in "
                           "to an X11 session (on the login screen, choose a session on Xorg), "
                           "and quit any older copies."),
            this));
    } else {
        rows->addWidget(makeFixes(missing));
    }
    auto* privacy = TextStyle::wrappedLabel(
        QStringLiteral("Pastiq never sends your clipboard anywhere."), this);
    TextStyle::makeSecondary(privacy);
    rows->addWidget(privacy);
    rows->addWidget(makeSteps(stepsFor(missing)));
    rows->addStretch(1);
    rows->addWidget(makeButtons());
}

QWidget* OnboardingView::makeHeader() {
    auto* header = new QWidget(this);
    auto* layout = new QHBoxLayout(header);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kHeaderSpacing);

    auto* symbol = new QLabel(header);
    symbol->setPixmap(paperclipIcon().pixmap(kSymbolSize, kSymbolSize));
    layout->addWidget(symbol, 0, Qt::AlignVCenter);

    auto* lines = new QVBoxLayout;
    lines->setSpacing(kHeaderLineSpacing);
    auto* title = TextStyle::wrappedLabel(QStringLiteral("Pastiq needs input access"), header);
    TextStyle::scaleFont(title, TextStyle::kTitle2Scale, true);
    whereHint_ = TextStyle::wrappedLabel(QString(), header);
    showWhereToFindPastiq(true);
    TextStyle::makeSecondary(whereHint_);
    lines->addWidget(title);
    lines->addWidget(whereHint_);
    layout->addLayout(lines, 1);
    return header;
}

void OnboardingView::showWhereToFindPastiq(bool inTray) {
    whereHint_->setText(inTray ? QStringLiteral("Look for “Pastiq” in the panel — that’s how you "
                                                "know it’s running.")
                               : QStringLiteral("Look for the small dark Pastiq button at the top "
                                                "right of the screen — that’s how you know it’s "
                                                "running. Click it for the menu."));
}

// Each missing piece in plain words, its command below it in a font and a label the user can
// select and copy into a terminal.
QWidget* OnboardingView::makeFixes(const std::vector<InputAccessFix>& missing) {
    auto* fixes = new QWidget(this);
    fixes->setObjectName(QStringLiteral("missingPieces"));
    auto* layout = new QVBoxLayout(fixes);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kStepSpacing);
    for (const InputAccessFix& fix : missing) {
        layout->addWidget(TextStyle::wrappedLabel(QString::fromStdString(fix.problem), fixes));
        if (fix.command.empty()) {
            continue;
        }
        auto* command = TextStyle::wrappedLabel(QString::fromStdString(fix.command), fixes);
        command->setObjectName(QStringLiteral("fixCommand"));
        command->setTextFormat(Qt::PlainText);
        command->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        command->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(command);
    }
    return fixes;
}

QWidget* OnboardingView::makeSteps(const QStringList& texts) {
    auto* steps = new QWidget(this);
    auto* layout = new QVBoxLayout(steps);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kStepSpacing);
    for (const QString& text : texts) {
        auto* step = TextStyle::wrappedLabel(text, steps);
        TextStyle::scaleFont(step, TextStyle::kCalloutScale);
        TextStyle::makeSecondary(step);
        layout->addWidget(step);
    }
    return steps;
}

QWidget* OnboardingView::makeButtons() {
    auto* buttons = new QWidget(this);
    auto* layout = new QHBoxLayout(buttons);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* reveal = new QPushButton(QStringLiteral("Show App in File Manager"), buttons);
    openSettingsButton_ = new QPushButton(QStringLiteral("Open Input Access Help"), buttons);
    auto* restart = new QPushButton(QStringLiteral("Restart Pastiq"), buttons);
    for (QPushButton* button : {reveal, openSettingsButton_, restart}) {
        button->setMinimumHeight(kLargeButtonHeight);
        button->setMinimumWidth(button->sizeHint().width() + kLargeButtonPadding);
    }
    openSettingsButton_->setDefault(true);
    openSettingsButton_->setAutoDefault(true);
    reveal->setAutoDefault(false);
    restart->setAutoDefault(false);

    const auto call = [](const std::function<void()>& callback) {
        if (callback) {
            callback();
        }
    };
    connect(reveal, &QPushButton::clicked, this, [this, call] { call(onRevealApp); });
    connect(openSettingsButton_, &QPushButton::clicked, this,
            [this, call] { call(onOpenSettings); });
    connect(restart, &QPushButton::clicked, this, [this, call] { call(onRestart); });

    layout->addWidget(reveal);
    layout->addStretch(1);
    layout->addWidget(openSettingsButton_);
    layout->addWidget(restart);
    return buttons;
}

}  // namespace pastiq
