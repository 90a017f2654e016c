#include "shell/qt_dialogs.h"

#include <QMessageBox>

namespace lum {

QString game_text(const std::string& text) {
    QString s = QString::fromStdString(text);
    s.replace("\r\n", "\n");
    s.replace('\r', '\n');
    return s;
}

void QtDialogs::inform(const std::string& text) {
    QMessageBox box(QMessageBox::Information, QStringLiteral("ルミナリア"), game_text(text),
                    QMessageBox::Ok, parent_);
    box.exec();
}

bool QtDialogs::ask_yes_no(const std::string& text) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("確認"), game_text(text),
                    QMessageBox::Yes | QMessageBox::No, parent_);
    box.setDefaultButton(QMessageBox::Yes);
    // Closing the box is not an explicit "No": only "No" cancels.
    return box.exec() != QMessageBox::No;
}

}  // namespace lum
