#include "shell/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPalette>

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
    if (isFullScreen())
        showNormal();
    else
        showFullScreen();
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
