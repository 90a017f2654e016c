#pragma once

#include <QPoint>
#include <QSize>

class QScreen;
class QWidget;
class QWindow;

// Qt's own scale factor, changed while the game runs. Qt reads it once at start
// (QT_SCALE_FACTOR) and offers no public way to change it later; the private one used here
// makes Qt draw every window, dialog and message box at the new scale with text rendered at
// the output's resolution, and map the mouse back exactly, which a scaled picture of the
// widgets could not. Everything that touches Qt's private API is in this file.
namespace lum::live_scale {

// The factor set now (at start: QT_SCALE_FACTOR, else 1).
double factor();
// Sets it; every top-level window keeps its size in device pixels and learns its new size in
// logical ones. Visible top-level widgets other than `keep` then take back their logical
// size, so dialogs and message boxes grow and shrink with the game.
void set_factor(double f, QWidget* keep);

// Device pixels per logical pixel that the platform and QT_SCREEN_SCALE_FACTORS give the
// screen, before this factor.
double base_ratio(const QScreen* screen);
// Sizes in device pixels: a shown window, the whole screen, the screen less its panels.
QSize device_size(const QWindow* window);
QSize device_size(const QScreen* screen);
QSize available_device_size(const QScreen* screen);
// The top-left corner of a window's frame in device pixels (where QWidget::move puts it), and
// back to logical ones.
QPoint device_position(const QWindow* window);
QPoint logical_position(QPoint device, const QScreen* screen);

}  // namespace lum::live_scale
