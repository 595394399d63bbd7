#pragma once

#include <QWidget>

#include "app/windows/AppInfo.h"

namespace pastiq {

// The About window's content: icon, name, version and build, copyright and the website
// link, stacked and centred in a column 240 wide. It has no state of its own.
class AboutView : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kWidth = 240;

    explicit AboutView(const AppInfo& info, QWidget* parent = nullptr);

  private:
    void addIcon();
    void addText(const QString& text, const QString& objectName, bool isHeadline);
    void addLink(const AppInfo& info);
};

}  // namespace pastiq
