#pragma once

#include <QWidget>
#include <functional>

namespace lum {

class ScreenPage;

// The one top-level window: the size of the battle screen, black, with the visible screen
// centred in it. Its close box closes the battle screen, whichever screen shows.
class MainWindow : public QWidget {
    Q_OBJECT
  public:
    explicit MainWindow(QSize client);

    void add_page(ScreenPage* page);
    void centre(ScreenPage* page);

    // Asked when the window is about to close; false keeps it open.
    std::function<bool()> on_close;
    // F1, from any screen: the guide opens, or closes when it shows.
    std::function<void()> on_help;

    void toggle_fullscreen();

  protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    // F11, Alt+Enter and F1, taken application-wide before any widget sees them: a focused
    // button or list must never read them as Enter, and F1 works whatever has the focus.
    bool eventFilter(QObject* obj, QEvent* e) override;

  private:
    QSize client_;
};

}  // namespace lum
