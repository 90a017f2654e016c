#include "shell/qt_dialogs.h"

#include <QMessageBox>
#include <QPushButton>

#include "ui/game_text.h"

namespace lum {

void QtDialogs::inform(const std::string& text) {
    QMessageBox box(QMessageBox::Information, QStringLiteral("ルミナリア"), game_text(text),
                    QMessageBox::Ok, parent_);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
}

bool QtDialogs::ask_yes_no(const std::string& text) {
    return ask(text, QMessageBox::Yes);
}

bool QtDialogs::ask_yes_no_default_no(const std::string& text) {
    return ask(text, QMessageBox::No);
}

bool QtDialogs::ask(const std::string& text, QMessageBox::StandardButton enter) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("確認"), game_text(text),
                    QMessageBox::Yes | QMessageBox::No, parent_);
    // The game speaks Japanese whatever the desktop's language is.
    box.button(QMessageBox::Yes)->setText(QStringLiteral("はい"));
    box.button(QMessageBox::No)->setText(QStringLiteral("いいえ"));
    box.setDefaultButton(enter);
    // Closing the box is not an explicit "No": only "No" cancels.
    return box.exec() != QMessageBox::No;
}

}  // namespace lum
