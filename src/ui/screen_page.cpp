#include "ui/screen_page.h"

namespace lum {

ScreenPage::ScreenPage(const QString& caption, QSize client, QWidget* parent)
    : QWidget(parent), caption_(caption), client_(client) {
    setFixedSize(client);
    setAutoFillBackground(true);
}

}  // namespace lum
