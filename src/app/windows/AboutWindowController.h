#pragma once

#include <QWidget>
#include <memory>

namespace pastiq {

// The About window: created on the first show, then reused, and centred again on every show.
class AboutWindowController {
  public:
    static constexpr int kWidth = 240;
    static constexpr int kHeight = 236;

    // `backend` is the display backend's name the window shows.
    explicit AboutWindowController(QString backend);
    ~AboutWindowController();
    AboutWindowController(const AboutWindowController&) = delete;
    AboutWindowController& operator=(const AboutWindowController&) = delete;

    void show();

    // The window once it has been shown; null before.
    [[nodiscard]] QWidget* window() const { return window_.get(); }

  private:
    void createWindow();

    QString backend_;
    std::unique_ptr<QWidget> window_;
};

}  // namespace pastiq
