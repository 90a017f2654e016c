#include "shell/main_window.h"

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

void MainWindow::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_F11 ||
        (e->key() == Qt::Key_Return && (e->modifiers() & Qt::AltModifier))) {
        toggle_fullscreen();
        return;
    }
    QWidget::keyPressEvent(e);
}

}  // namespace lum
