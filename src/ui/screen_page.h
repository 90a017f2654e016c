#pragma once

#include <QString>
#include <QWidget>

namespace lum {

// One screen of the game: a page of the one top-level window with its own client size and
// caption. The window shows exactly one page at a time, centred on black.
class ScreenPage : public QWidget {
    Q_OBJECT
  public:
    ScreenPage(const QString& caption, QSize client, QWidget* parent = nullptr);

    const QString& caption() const { return caption_; }
    QSize client_size() const { return client_; }

    // Runs each time the page becomes the visible screen (the screen's FormShow).
    virtual void FormShow() {}
    // Runs when the page stops being the visible screen.
    virtual void FormHide() {}

  private:
    QString caption_;
    QSize client_;
};

}  // namespace lum
