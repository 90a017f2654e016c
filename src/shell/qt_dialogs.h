#pragma once

#include <QMessageBox>
#include <QWidget>

#include "state/ports.h"

namespace lum {

// Modal message boxes. The game's texts use "\r" for a line break.
class QtDialogs : public Dialogs {
  public:
    explicit QtDialogs(QWidget* parent) : parent_(parent) {}
    void inform(const std::string& text) override;
    bool ask_yes_no(const std::string& text) override;
    bool ask_yes_no_default_no(const std::string& text) override;

  private:
    bool ask(const std::string& text, QMessageBox::StandardButton enter);

    QWidget* parent_;
};

}  // namespace lum
