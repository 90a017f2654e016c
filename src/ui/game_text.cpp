#include "ui/game_text.h"

namespace lum {

QString game_text(const std::string& text) {
    QString s = QString::fromStdString(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QChar('\r'), QChar('\n'));
    return s;
}

void set_game_text(QLabel* label, const std::string& text) {
    const QString s = game_text(text);
    if (label->text() != s) label->setText(s);
}

}  // namespace lum
