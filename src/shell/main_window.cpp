#include "shell/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPalette>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <cmath>

#include "shell/live_scale.h"
#include "state/window_scale.h"
#include "ui/screen_page.h"

namespace lum {

MainWindow::MainWindow(QSize client) : client_(client) {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);
    setMinimumSize(client);
    resize(client);
    qApp->installEventFilter(this);
}

void MainWindow::add_page(ScreenPage* page) {
    page->setParent(this);
    page->hide();
    centre(page);
}

void MainWindow::centre(ScreenPage* page) {
    QSize s = page->client_size();
    page->move((width() - s.width()) / 2, (height() - s.height()) / 2);
}

void MainWindow::toggle_fullscreen() {
    set_full_screen(!isFullScreen());
}

void MainWindow::set_full_screen(bool on) {
    if (on == isFullScreen() && isVisible()) return;
    if (on) {
        if (isVisible()) normal_device_size_ = device_size();
        // Without a window manager (a bare X session on a handheld) nothing else would make
        // the window cover the screen; with one this asks for what it does anyway. Set first:
        // a geometry set in full screen takes the full-screen state back.
        setGeometry(screen()->geometry());
        showFullScreen();
    } else {
        showNormal();
        if (fit_window_ && normal_device_size_.isValid()) {
            fit_to(normal_device_size_);
            return;
        }
    }
    rescale();
}

void MainWindow::fit_to(QSize device) {
    // Scaled first, then sized in the new logical pixels: the size comes back to the pixel.
    rescale(device);
    resize_device(device);
}

void MainWindow::set_scaling(int zoom, bool fit_window, bool fit_full_screen) {
    zoom_ = zoom;
    fit_window_ = fit_window;
    fit_full_screen_ = fit_full_screen;
    rescale();
}

bool MainWindow::fitting() const {
    return isFullScreen() ? fit_full_screen_ : fit_window_;
}

double MainWindow::scale() const {
    // The widget's own ratio is rounded to 1/65536.
    const QWindow* w = windowHandle();
    return w ? w->devicePixelRatio() : devicePixelRatioF();
}

QSize MainWindow::device_size() const {
    const QWindow* w = windowHandle();
    return w ? live_scale::device_size(w) : size() * scale();
}

void MainWindow::resize_device(QSize s) {
    resize(std::max(1, int(std::lround(s.width() / scale()))),
           std::max(1, int(std::lround(s.height() / scale()))));
}

std::optional<QPoint> MainWindow::device_position() const {
    const QWindow* w = windowHandle();
    if (!w) return std::nullopt;
    return live_scale::device_position(w);
}

void MainWindow::move_device(QPoint at) {
    move(live_scale::logical_position(at, screen()));
}

void MainWindow::rescale(QSize fit_area) {
    rescale_pending_ = false;
    if (rescaling_) return;
    QScreen* where = screen();
    const double base = live_scale::base_ratio(where);
    const bool full = isFullScreen();
    const bool fit = fitting();
    // Full screen fills the screen; a fitted window its own size; a zoomed window may grow as
    // far as the screen less its panels.
    const QSize area = full  ? live_scale::device_size(where)
                       : fit ? (fit_area.isValid() ? fit_area : device_size())
                             : live_scale::available_device_size(where);
    const ScaleChoice c =
        choose_scale(area.width(), area.height(), client_.width(), client_.height(),
                     fit ? ScaleMode::fit : ScaleMode::zoom, zoom_, base);
    const double factor = c.scale / base;
    rescaling_ = true;
    if (std::abs(factor - live_scale::factor()) > 1e-9 * factor)
        live_scale::set_factor(factor, fit || full ? this : nullptr);
    // The window manager is told the smallest size in device pixels, which a change of scale
    // moves: the same logical size set again would not be passed on.
    setMinimumSize(0, 0);
    if (fit || full) {
        setMinimumSize(int(std::ceil(client_.width() * kMinFitScale / c.scale)),
                       int(std::ceil(client_.height() * kMinFitScale / c.scale)));
    } else {
        setMinimumSize(client_);
        // A maximized window stays as the window manager made it, the game centred on black.
        if (!isMaximized()) resize(client_);
    }
    rescaling_ = false;
    for (auto* page : findChildren<ScreenPage*>(Qt::FindDirectChildrenOnly)) centre(page);
}

void MainWindow::rescale_later() {
    if (rescale_pending_) return;
    rescale_pending_ = true;
    QTimer::singleShot(0, this, [this] {
        if (rescale_pending_) rescale();
    });
}

void MainWindow::closeEvent(QCloseEvent* e) {
    if (on_close && !on_close()) {
        e->ignore();
        return;
    }
    e->accept();
}

void MainWindow::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    for (auto* page : findChildren<ScreenPage*>(Qt::FindDirectChildrenOnly)) centre(page);
    // Dragging an edge of a fitted window rescales the game to the new size.
    if (!rescaling_ && fitting()) rescale_later();
}

void MainWindow::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    // Full screen switched by the window manager (or its keys) takes the scale that goes with it.
    if (e->type() == QEvent::WindowStateChange && !rescaling_) rescale_later();
}

bool MainWindow::eventFilter(QObject* obj, QEvent* e) {
    const QEvent::Type t = e->type();
    if (t != QEvent::KeyPress && t != QEvent::KeyRelease && t != QEvent::ShortcutOverride)
        return QWidget::eventFilter(obj, e);
    const auto* k = static_cast<QKeyEvent*>(e);
    if (k->key() == Qt::Key_F1 && k->modifiers() == Qt::NoModifier) {
        // Over a message box or the settings the guide would open beneath them: F1 waits.
        if (QApplication::activeModalWidget()) return QWidget::eventFilter(obj, e);
        if (t == QEvent::KeyPress && !k->isAutoRepeat() && on_help) on_help();
        return true;
    }
    const bool enter = k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
    if (!(k->key() == Qt::Key_F11 || (enter && (k->modifiers() & Qt::AltModifier))))
        return QWidget::eventFilter(obj, e);
    // The window's key arrives first (at the QWindow, or at a widget when sent to it
    // directly); eaten there, it reaches nothing else. A modal dialog keeps the window as it
    // is: the settings hold their own full-screen box.
    if (t == QEvent::KeyPress && !k->isAutoRepeat() && !QApplication::activeModalWidget())
        toggle_fullscreen();
    return true;
}

}  // namespace lum
