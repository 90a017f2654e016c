#include "shell/live_scale.h"

#include <private/qhighdpiscaling_p.h>
#include <qpa/qplatformscreen.h>
#include <qpa/qplatformwindow.h>
#include <qpa/qwindowsysteminterface.h>
#include <QApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <cstdio>
#include <utility>
#include <vector>

namespace lum::live_scale {

namespace {

double initial_factor() {
    bool ok = false;
    const double f = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&ok);
    return ok && f > 0 ? f : 1.0;
}

double current = initial_factor();

QtMessageHandler passed_on = nullptr;

// Qt warns on every change that the factor is meant to be set before any window exists; the
// windows are told of their new size right after, so that one warning is dropped.
void drop_factor_warning(QtMsgType type, const QMessageLogContext& context, const QString& msg) {
    if (type == QtWarningMsg &&
        msg == QLatin1String(
                   "QHighDpiScaling::setFactor: Should only be called when no windows exist."))
        return;
    if (passed_on)
        passed_on(type, context, msg);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, msg)));
}

QScreen* screen_of(const QScreen* s) {
    return s ? const_cast<QScreen*>(s) : QGuiApplication::primaryScreen();
}

}  // namespace

double factor() {
    return current;
}

void set_factor(double f, QWidget* keep) {
    static const bool filtered = [] {
        passed_on = qInstallMessageHandler(drop_factor_warning);
        return true;
    }();
    (void)filtered;
    std::vector<std::pair<QWidget*, QSize>> sizes;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != keep && w->isVisible() && !w->isFullScreen() && !w->isMaximized())
            sizes.emplace_back(w, w->size());
    current = f;
    QHighDpiScaling::setGlobalFactor(f);
    for (QWindow* w : QGuiApplication::topLevelWindows()) {
        if (!w->handle()) continue;
        QWindowSystemInterface::handleGeometryChange<QWindowSystemInterface::SynchronousDelivery>(
            w, w->handle()->geometry());
    }
    for (auto& [w, size] : sizes) w->resize(size);
}

double base_ratio(const QScreen* screen) {
    return screen_of(screen)->devicePixelRatio() / current;
}

// Platform geometry is in device pixels on X11; on Wayland in surface units that the
// platform's own ratio turns into device pixels.
QSize device_size(const QWindow* window) {
    const QPlatformWindow* p = window->handle();
    if (!p) return window->size() * window->devicePixelRatio();
    return (QSizeF(p->geometry().size()) * p->devicePixelRatio()).toSize();
}

QSize device_size(const QScreen* screen) {
    const QPlatformScreen* p = screen_of(screen)->handle();
    return (QSizeF(p->geometry().size()) * p->devicePixelRatio()).toSize();
}

QSize available_device_size(const QScreen* screen) {
    const QPlatformScreen* p = screen_of(screen)->handle();
    return (QSizeF(p->availableGeometry().size()) * p->devicePixelRatio()).toSize();
}

QPoint device_position(const QWindow* window) {
    return QHighDpi::toNativePixels(window->framePosition(), window);
}

QPoint logical_position(QPoint device, const QScreen* screen) {
    return QHighDpi::fromNativePixels(device, screen_of(screen));
}

}  // namespace lum::live_scale
