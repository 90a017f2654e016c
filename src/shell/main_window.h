#pragma once

#include <QWidget>
#include <functional>
#include <optional>

namespace lum {

class ScreenPage;

// The one top-level window: black, with the visible screen centred in it. The whole window
// is drawn at one scale through Qt's own scale factor, so every screen, panel, dialog and
// message box grows with it, text stays crisp and the mouse lands where it points: a
// whole-number zoom (the window takes the game's size at that zoom), or fit, the largest
// scale that fills the window or the screen. Its close box closes the battle screen,
// whichever screen shows.
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
    void set_full_screen(bool on);
    // Zoom 1..8 in the window, or fit; full screen fits or shows the zoom. Applied at once.
    void set_scaling(int zoom, bool fit_window, bool fit_full_screen);
    // Device pixels per game pixel.
    double scale() const;
    // The window's size and place in device pixels, which stay put when the scale changes.
    QSize device_size() const;
    void resize_device(QSize size);
    // A fitted window of this size in device pixels, the game scaled to fit it.
    void fit_to(QSize device);
    std::optional<QPoint> device_position() const;
    void move_device(QPoint at);

  protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    // F11, Alt+Enter and F1, taken application-wide before any widget sees them: a focused
    // button or list must never read them as Enter, and F1 works whatever has the focus.
    bool eventFilter(QObject* obj, QEvent* e) override;

  private:
    bool fitting() const;
    // Chooses the scale for the window's state and size (or, for a fitted window, the size it
    // is about to take), and sets it.
    void rescale(QSize fit_area = {});
    // A resize that comes while the scale is changing (changing it resizes the window) waits
    // for the change to finish; a drag's many resizes make one rescale.
    void rescale_later();

    QSize client_;
    int zoom_ = 1;
    bool fit_window_ = false;
    bool fit_full_screen_ = true;
    bool rescaling_ = false;
    bool rescale_pending_ = false;
    QSize normal_device_size_;  // the window's size before full screen
};

}  // namespace lum
