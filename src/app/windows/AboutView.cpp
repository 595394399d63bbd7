#include "app/windows/AboutView.h"

#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

#include "app/AppId.h"
#include "overlay/TextStyle.h"

namespace pastiq {
namespace {

constexpr int kIconSize = 64;
constexpr int kRowSpacing = 8;
constexpr int kHorizontalPadding = 20;
constexpr int kVerticalPadding = 18;

QIcon applicationIcon() {
    QIcon windowIcon = QApplication::windowIcon();
    if (!windowIcon.isNull()) {
        return windowIcon;
    }
    return QIcon::fromTheme(QLatin1String(kAppId),
                            QIcon(QStringLiteral(":/pastiq/icons/pastiq.svg")));
}

}  // namespace

AboutView::AboutView(const AppInfo& info, QWidget* parent) : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    column->setSpacing(kRowSpacing);
    column->setContentsMargins(kHorizontalPadding, kVerticalPadding, kHorizontalPadding,
                               kVerticalPadding);
    column->setAlignment(Qt::AlignHCenter);
    setFixedWidth(kWidth);

    addIcon();
    addText(QStringLiteral("Pastiq"), QStringLiteral("nameLabel"), true);
    addText(info.versionLine(), QStringLiteral("versionLabel"), false);
    if (const QString backend = info.backendLine(); !backend.isEmpty()) {
        addText(backend, QStringLiteral("backendLabel"), false);
    }
    addText(info.copyright, QStringLiteral("copyrightLabel"), false);
    addLink(info);
}

void AboutView::addIcon() {
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("iconLabel"));
    icon->setPixmap(applicationIcon().pixmap(kIconSize, kIconSize));
    icon->setFixedSize(kIconSize, kIconSize);
    layout()->addWidget(icon);
    layout()->setAlignment(icon, Qt::AlignHCenter);
}

void AboutView::addText(const QString& text, const QString& objectName, bool isHeadline) {
    auto* label = TextStyle::wrappedLabel(text, this);
    label->setObjectName(objectName);
    label->setAlignment(Qt::AlignHCenter);
    if (isHeadline) {
        TextStyle::scaleFont(label, 1.0, true);
    } else {
        TextStyle::scaleFont(label, TextStyle::kCaptionScale);
        TextStyle::makeSecondary(label);
    }
    layout()->addWidget(label);
}

void AboutView::addLink(const AppInfo& info) {
    auto* link = new QLabel(this);
    link->setObjectName(QStringLiteral("websiteLink"));
    link->setText(QStringLiteral("<a href=\"%1\">%2</a>")
                      .arg(info.websiteUrl.toString(QUrl::FullyEncoded).toHtmlEscaped(),
                           info.websiteTitle().toHtmlEscaped()));
    link->setTextFormat(Qt::RichText);
    TextStyle::scaleFont(link, TextStyle::kCaptionScale);
    link->setAlignment(Qt::AlignHCenter);
    // Opens the address with the desktop's default browser.
    link->setOpenExternalLinks(true);
    link->setTextInteractionFlags(Qt::TextBrowserInteraction);
    layout()->addWidget(link);
}

}  // namespace pastiq
