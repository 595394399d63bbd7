#include "overlay/OverlayHeader.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "model/PasteSession.h"
#include "overlay/OverlayStyle.h"
#include "overlay/PasteOrderControl.h"

namespace pastiq {

OverlayHeader::OverlayHeader(std::function<void(bool)> onTransposedChosen, QWidget* parent)
    : QWidget(parent),
      title_(new QLabel(QStringLiteral("Pastiq"), this)),
      subtitle_(new QLabel(this)),
      pasteOrder_(new PasteOrderControl(std::move(onTransposedChosen), this)) {
    setObjectName(QStringLiteral("overlayHeader"));
    title_->setFont(OverlayStyle::headlineFont());
    subtitle_->setObjectName(QStringLiteral("subtitle"));
    subtitle_->setFont(OverlayStyle::captionFont());
    subtitle_->setTextFormat(Qt::PlainText);
    QPalette secondary = subtitle_->palette();
    secondary.setColor(QPalette::WindowText, OverlayStyle::secondaryText());
    subtitle_->setPalette(secondary);

    auto* titleBlock = new QVBoxLayout;
    titleBlock->setSpacing(2);
    titleBlock->addWidget(title_);
    titleBlock->addWidget(subtitle_);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->setSpacing(8);
    layout->addLayout(titleBlock);
    layout->addStretch(1);
    layout->addWidget(pasteOrder_, 0, Qt::AlignVCenter);
    refresh(nullptr);
}

void OverlayHeader::refresh(const PasteSession* session) {
    const std::string label = session ? session->sourceKind().label() : "List";
    const std::string progress = session ? session->progressText() : "0 of 0";
    subtitle_->setText(QString::fromStdString(label) + QStringLiteral(" · ") +
                       QString::fromStdString(progress));
    const bool canTranspose = session && session->canTranspose();
    pasteOrder_->setVisible(canTranspose);
    if (canTranspose) {
        pasteOrder_->setTransposed(session->isTransposed());
    }
}

QString OverlayHeader::subtitle() const {
    return subtitle_->text();
}

}  // namespace pastiq
